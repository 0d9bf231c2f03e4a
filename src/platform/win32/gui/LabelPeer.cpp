// Labels: STATIC children; the parent window hands them their colours (WM_CTLCOLORSTATIC).
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

DWORD TextStyle(const Label& label) { return label.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP; }

class LabelPeer : public WindowPeer {
 public:
  explicit LabelPeer(Label& label) : WindowPeer(label), label_(label) {}

  void Create() {
    CreateWindowFor({"STATIC", WS_CHILD | SS_NOTIFY | TextStyle(label_), 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == STN_CLICKED) label_.Click();
  }

  HBRUSH ControlColor(HDC dc) override {
    ::SetTextColor(dc, ToColorRef(label_.GetFont().color));
    if (!label_.Transparent()) {
      ::SetBkColor(dc, ToColorRef(label_.GetColor()));
      return BackgroundBrush();
    }
    // A transparent label shows its parent's colour behind the text.
    ::SetBkMode(dc, TRANSPARENT);
    WindowPeer* parent = Of(label_.Parent());
    return parent ? parent->BackgroundBrush() : static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
  }

 protected:
  void UpdateKind() override {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE));
    const DWORD wanted = (style & ~static_cast<DWORD>(SS_TYPEMASK)) | TextStyle(label_);
    if (wanted != style) ::SetWindowLongPtrA(Handle(), GWL_STYLE, static_cast<LONG_PTR>(wanted));
    Invalidate();  // colours come from ControlColor at the next paint
  }

 private:
  Label& label_;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeLabelPeer(Control& control) {
  auto peer = std::make_unique<LabelPeer>(dynamic_cast<Label&>(control));
  peer->Create();
  return peer;
}

}  // namespace gui::win32
