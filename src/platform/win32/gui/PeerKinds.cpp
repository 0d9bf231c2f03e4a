#include "platform/win32/gui/PeerKinds.h"

#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/Memo.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"

namespace gui::win32 {

void RegisterPeers(PeerRegistry& registry) {
  registry.Register<Form>(&MakeFormPeer);
  registry.Register<Panel>(&MakePanelPeer);
  registry.Register<Label>(&MakeLabelPeer);
  registry.Register<Button>(&MakeButtonPeer);
  registry.Register<CheckBox>(&MakeCheckBoxPeer);
  registry.Register<RadioButton>(&MakeRadioButtonPeer);
  registry.Register<Edit>(&MakeEditPeer);
  registry.Register<Memo>(&MakeMemoPeer);
  registry.Register<ProgressBar>(&MakeProgressBarPeer);
}

}  // namespace gui::win32
