#include "platform/win32/gui/HdcCanvas.h"

namespace gui::win32 {

void HdcCanvas::FillRect(const Rect& rect) {
  const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(dc_, &area, brush_.Get(BrushColor()));
}

}  // namespace gui::win32
