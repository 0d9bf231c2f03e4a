#include "platform/gui/Shape.h"

namespace gui {

void Shape::SetPenColor(Color color) {
  if (penColor_ == color) return;
  penColor_ = color;
  Changed(Aspect::Style);
}

void Shape::SetPenWidth(int width) {
  width = width < 1 ? 1 : width;
  if (penWidth_ == width) return;
  penWidth_ = width;
  Changed(Aspect::Style);
}

}  // namespace gui
