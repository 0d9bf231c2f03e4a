// Panels: child windows of the toolkit's own class that paint their colour and caption. The
// caption is also the window text, so other programs can read it.
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

UINT DrawTextAlignment(TextAlign alignment) {
  switch (alignment) {
    case TextAlign::Left:
      return DT_LEFT;
    case TextAlign::Right:
      return DT_RIGHT;
    case TextAlign::Center:
      break;
  }
  return DT_CENTER;
}

// The edge DrawEdge draws for a bevel; 0 for none.
UINT EdgeOf(PanelBevel bevel) {
  switch (bevel) {
    case PanelBevel::Raised:
      return BDR_RAISEDINNER;
    case PanelBevel::Lowered:
      return BDR_SUNKENOUTER;
    case PanelBevel::None:
      break;
  }
  return 0;
}

class PanelPeer : public WindowPeer {
 public:
  explicit PanelPeer(Panel& panel) : WindowPeer(panel), panel_(panel) {}

  void Create() {
    CreateWindowFor({kPanelClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, ParentHandle()});
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers the whole panel
      case WM_PAINT: {
        PaintDc paint(Handle());
        PaintOn(paint.Get());
        return 0;
      }
      case WM_PRINTCLIENT:
        PaintOn(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_LBUTTONDOWN:
        pressed_ = true;
        ::SetCapture(Handle());
        return 0;
      case WM_LBUTTONUP:
        return ReleaseClick(lParam);
      case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
      default:
        return WindowPeer::HandleMessage(message, wParam, lParam);
    }
  }

 protected:
  // Alignment and bevel show only in the painting.
  void UpdateKind(Changes changed) override {
    if (changed.Has(Aspect::Style) || changed.Has(Aspect::Enabled)) Invalidate();
  }

 private:
  LRESULT ReleaseClick(LPARAM lParam) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    ::ReleaseCapture();
    RECT client;
    ::GetClientRect(Handle(), &client);
    const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (wasPressed && ::PtInRect(&client, at)) panel_.UserClick();
    return 0;
  }

  // Paints the whole panel on dc (the screen's paint, or WM_PRINTCLIENT's context).
  void PaintOn(HDC dc) {
    RECT area;
    ::GetClientRect(Handle(), &area);
    if (const UINT edge = EdgeOf(panel_.BevelOuter())) {
      ::DrawEdge(dc, &area, edge, BF_RECT | BF_ADJUST);
    }
    ::FillRect(dc, &area, BackgroundBrush());
    const AnsiString& caption = panel_.Caption();
    if (caption.empty()) return;
    SelectedObject font(dc, CurrentFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(
        dc, panel_.Enabled() ? ToColorRef(panel_.GetFont().color) : ::GetSysColor(COLOR_GRAYTEXT));
    DrawProgramText(
        dc, caption, area,
        DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DrawTextAlignment(panel_.Alignment()));
  }

  Panel& panel_;
  bool pressed_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Panel& panel) {
  auto peer = std::make_unique<PanelPeer>(panel);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
