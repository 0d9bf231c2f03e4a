#pragma once
// The BUTTON class peers: a press (mouse, space bar, BM_CLICK) is a user click. Check boxes and
// radio buttons are made with styles that do not check themselves: the model decides and its
// Value change sets the mark, so the window shows what the model holds.
#include <memory>

#include "platform/win32/gui/WindowPeer.h"

namespace gui::win32 {

class ButtonPeer : public WindowPeer {
 public:
  explicit ButtonPeer(Control& control) : WindowPeer(control) {}

  void Create(DWORD buttonStyle) {
    CreateWindowFor({L"BUTTON", WS_CHILD | WS_TABSTOP | buttonStyle, 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == BN_CLICKED) GetControl().UserClick();
  }
};

// A check box or radio button (Kind has Checked()).
template <class Kind>
class CheckMarkPeer : public ButtonPeer {
 public:
  explicit CheckMarkPeer(Kind& control) : ButtonPeer(control), control_(control) {}

 protected:
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Value)) return;
    ::SendMessageW(Handle(), BM_SETCHECK, control_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  Kind& control_;
};

template <class PeerType, class Kind>
std::unique_ptr<PeerType> MakeButtonClassPeer(Kind& control, DWORD buttonStyle) {
  auto peer = std::make_unique<PeerType>(control);
  peer->Create(buttonStyle);
  return peer;
}

}  // namespace gui::win32
