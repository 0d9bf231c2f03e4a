#include "platform/win32/gui/PeerKinds.h"

#include "platform/gui/Animate.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/Memo.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Separator.h"
#include "platform/gui/Shape.h"
#include "platform/gui/StringGrid.h"

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
  registry.Register<Animate>(&MakeAnimatePeer);
  registry.Register<PageBook>(&MakePageBookPeer);
  registry.Register<Page>(&MakePagePeer);
  registry.Register<HeaderCell>(&MakeHeaderCellPeer);
  registry.Register<Separator>(&MakeSeparatorPeer);
  registry.Register<Shape>(&MakeShapePeer);
  registry.Register<Image>(&MakeImagePeer);
  registry.Register<StringGrid>(&MakeStringGridPeer);
}

}  // namespace gui::win32
