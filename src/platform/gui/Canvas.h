#pragma once
// Painting surface of a form, valid while its paint handler runs.
#include "platform/gui/Types.h"

namespace gui {

class Canvas {
 public:
  virtual ~Canvas() = default;
  void SetBrushColor(Color color) { brush_ = color; }
  Color BrushColor() const { return brush_; }
  // Fills rows top..bottom-1 and columns left..right-1 with the brush colour.
  virtual void FillRect(const Rect& rect) = 0;

 private:
  Color brush_ = clWhite;
};

}  // namespace gui
