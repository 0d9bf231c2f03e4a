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

class PanelPeer : public WindowPeer {
 public:
  explicit PanelPeer(Control& control)
      : WindowPeer(control), panel_(dynamic_cast<Panel*>(&control)) {}

  void Create() {
    CreateWindowFor({kPanelClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, ParentHandle()});
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers the whole panel
      case WM_PAINT:
        Paint();
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

  // Alignment, bevel and colour show only in the painting.
  void UpdateKind() override { Invalidate(); }

 private:
  LRESULT ReleaseClick(LPARAM lParam) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    ::ReleaseCapture();
    RECT client;
    ::GetClientRect(Handle(), &client);
    const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (wasPressed && ::PtInRect(&client, at)) GetControl().Click();
    return 0;
  }

  void Paint() {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(Handle(), &paint);
    auto end = platform::win32::MakeScopeExit([&] { ::EndPaint(Handle(), &paint); });
    RECT area;
    ::GetClientRect(Handle(), &area);
    if (panel_ && panel_->Bevel()) ::DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    ::FillRect(dc, &area, BackgroundBrush());
    const AnsiString& caption = GetControl().Caption();
    if (caption.empty()) return;
    const HGDIOBJ previousFont = ::SelectObject(dc, CurrentFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, GetControl().Enabled() ? ToColorRef(GetControl().GetFont().color)
                                              : ::GetSysColor(COLOR_GRAYTEXT));
    const TextAlign alignment = panel_ ? panel_->Alignment() : TextAlign::Center;
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
                DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DrawTextAlignment(alignment));
    ::SelectObject(dc, previousFont);
  }

  Panel* panel_;  // null for a kind painted like a panel
  bool pressed_ = false;
};

}  // namespace

std::unique_ptr<WindowPeer> MakePanelPeer(Control& control) {
  auto peer = std::make_unique<PanelPeer>(control);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
