// Check boxes: the model toggles on a click.
#include "platform/gui/CheckBox.h"
#include "platform/win32/gui/ButtonPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

std::unique_ptr<Peer> MakePeer(CheckBox& box) {
  return MakeButtonClassPeer<CheckMarkPeer<CheckBox>>(box, BS_CHECKBOX);
}

}  // namespace gui::win32
