#pragma once
// The peer of a kind the toolkit paints itself (containers, shapes, pictures, header cells): a
// child window of the toolkit's own class whose whole client area one function paints, for the
// screen (WM_PAINT) and for a device context another program or a test hands it
// (WM_PRINTCLIENT).
#include "platform/win32/gui/WindowPeer.h"

namespace gui::win32 {

class PaintedPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // the paint covers the whole window
      case WM_PAINT: {
        PaintDc paint(Handle());
        PaintOn(paint.Get(), ClientArea());
        return 0;
      }
      case WM_PRINTCLIENT:
        PaintOn(reinterpret_cast<HDC>(wParam), ClientArea());
        return 0;
      default:
        return WindowPeer::HandleMessage(message, wParam, lParam);
    }
  }

 protected:
  // Creates the child window; a container adds WS_CLIPCHILDREN so it never paints over its
  // children.
  void CreateChild(DWORD extraStyle = 0) {
    CreateWindowFor({kPanelClass, WS_CHILD | WS_CLIPSIBLINGS | extraStyle, 0, ParentHandle()});
  }

  // Paints the whole client area on dc.
  virtual void PaintOn(HDC dc, const RECT& client) = 0;

  RECT ClientArea() const {
    RECT client = {};
    ::GetClientRect(Handle(), &client);
    return client;
  }
};

}  // namespace gui::win32
