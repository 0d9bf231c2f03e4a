// Radio buttons: BUTTON children that do not check themselves. A press is a user click; the
// model applies the group rule and each button's Value change sets its mark.
#include "platform/gui/RadioButton.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class RadioButtonPeer : public WindowPeer {
 public:
  explicit RadioButtonPeer(RadioButton& radio) : WindowPeer(radio), radio_(radio) {}

  void Create() {
    CreateWindowFor({L"BUTTON", WS_CHILD | WS_TABSTOP | BS_RADIOBUTTON, 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == BN_CLICKED) radio_.UserClick();
  }

 protected:
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Value)) return;
    ::SendMessageW(Handle(), BM_SETCHECK, radio_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  RadioButton& radio_;
};

}  // namespace

std::unique_ptr<Peer> MakeRadioButtonPeer(RadioButton& radio) {
  auto peer = std::make_unique<RadioButtonPeer>(radio);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
