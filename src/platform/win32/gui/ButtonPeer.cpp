// Push buttons.
#include "platform/win32/gui/ButtonPeer.h"

#include "platform/gui/Button.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

std::unique_ptr<Peer> MakePeer(Button& button) {
  return MakeButtonClassPeer<ButtonPeer>(button, BS_PUSHBUTTON);
}

}  // namespace gui::win32
