// Check boxes: BUTTON children that do not check themselves. A press is a user click; the model
// toggles and its Value change sets the check mark, so the box shows what the model holds.
#include "platform/gui/CheckBox.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class CheckBoxPeer : public WindowPeer {
 public:
  explicit CheckBoxPeer(CheckBox& box) : WindowPeer(box), box_(box) {}

  void Create() {
    CreateWindowFor({L"BUTTON", WS_CHILD | WS_TABSTOP | BS_CHECKBOX, 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == BN_CLICKED) box_.UserClick();
  }

 protected:
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Value)) return;
    ::SendMessageW(Handle(), BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  CheckBox& box_;
};

}  // namespace

std::unique_ptr<Peer> MakeCheckBoxPeer(CheckBox& box) {
  auto peer = std::make_unique<CheckBoxPeer>(box);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
