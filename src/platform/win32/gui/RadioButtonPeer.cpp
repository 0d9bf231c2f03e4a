// Radio buttons: the model applies the group rule on a click.
#include "platform/gui/RadioButton.h"
#include "platform/win32/gui/ButtonPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

std::unique_ptr<Peer> MakePeer(RadioButton& radio) {
  return MakeButtonClassPeer<CheckMarkPeer<RadioButton>>(radio, BS_RADIOBUTTON);
}

}  // namespace gui::win32
