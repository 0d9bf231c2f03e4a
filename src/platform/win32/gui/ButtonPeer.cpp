// Push buttons: BUTTON children; a press (mouse, space bar, BM_CLICK) is a user click.
#include "platform/gui/Button.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class ButtonPeer : public WindowPeer {
 public:
  explicit ButtonPeer(Button& button) : WindowPeer(button), button_(button) {}

  void Create() {
    CreateWindowFor({L"BUTTON", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == BN_CLICKED) button_.UserClick();
  }

 private:
  Button& button_;
};

}  // namespace

std::unique_ptr<Peer> MakeButtonPeer(Button& button) {
  auto peer = std::make_unique<ButtonPeer>(button);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
