#include "platform/gui/Shape.h"

namespace gui {

void Shape::SetPenColor(Color color) {
  if (penColor_ == color) return;
  penColor_ = color;
  Changed(Aspect::Style);
}

}  // namespace gui
