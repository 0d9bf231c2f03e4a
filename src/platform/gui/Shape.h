#pragma once
// A rectangle frame: a one-pixel line in the pen colour along the control's edges. The inside
// is not the shape's: it shows, and lets the user reach, whatever lies there.
#include "platform/gui/Control.h"

namespace gui {

class Shape : public Control {
 public:
  Shape(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Shape"; }
  std::type_index PeerKind() const override { return typeid(Shape); }

  Color PenColor() const { return penColor_; }
  void SetPenColor(Color color);

 private:
  Color penColor_ = clBlack;
};

}  // namespace gui
