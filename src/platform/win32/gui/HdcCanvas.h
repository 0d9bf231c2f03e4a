#pragma once
// The canvas of a paint: fills on the window's device context.
#include "platform/gui/Canvas.h"
#include "platform/win32/gui/GdiSupport.h"

namespace gui::win32 {

class HdcCanvas : public Canvas {
 public:
  explicit HdcCanvas(HDC dc) : dc_(dc) {}
  void FillRect(const Rect& rect) override;

 private:
  HDC dc_;
  BrushCache brush_;
};

}  // namespace gui::win32
