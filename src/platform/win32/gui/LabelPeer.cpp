// Labels: STATIC children; the parent window hands them their colours (WM_CTLCOLORSTATIC).
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

DWORD TextStyle(const Label& label) { return label.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP; }

class LabelPeer : public WindowPeer {
 public:
  explicit LabelPeer(Label& label) : WindowPeer(label), label_(label) {}

  void Create() {
    CreateWindowFor({L"STATIC", WS_CHILD | SS_NOTIFY | TextStyle(label_), 0, ParentHandle()});
  }

  void Command(WORD notification) override {
    if (notification == STN_CLICKED) label_.UserClick();
    if (notification == STN_DBLCLK) label_.UserDoubleClick();
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
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Style)) return;
    SetStyleBits(SS_TYPEMASK, TextStyle(label_));
    Invalidate();
  }

 private:
  Label& label_;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Label& label) {
  auto peer = std::make_unique<LabelPeer>(label);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
