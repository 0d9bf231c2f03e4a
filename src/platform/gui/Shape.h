#pragma once
// A rectangle frame: a line of the pen's width (one pixel unless set) in the pen colour along the
// inside of the control's edges. The inside is not the shape's: it shows, and lets the user
// reach, whatever lies there.
#include "platform/gui/Control.h"

namespace gui {

class Shape : public Control {
 public:
  Shape(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Shape"; }
  std::type_index PeerKind() const override { return typeid(Shape); }

  Color PenColor() const { return penColor_; }
  void SetPenColor(Color color);
  int PenWidth() const { return penWidth_; }
  // Widths below one pixel draw one pixel, as the system's pens do.
  void SetPenWidth(int width);

 private:
  Color penColor_ = clBlack;
  int penWidth_ = 1;
};

}  // namespace gui
