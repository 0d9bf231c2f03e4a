#include "platform/gui/ProgressBar.h"

#include <algorithm>

namespace gui {

void ProgressBar::SetRange(int min, int max) {
  if (max < min) max = min;
  if (min_ == min && max_ == max) return;
  min_ = min;
  max_ = max;
  position_ = std::clamp(position_, min_, max_);
  Changed(Aspect::Value);
}

void ProgressBar::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  if (position_ == position) return;
  position_ = position;
  Changed(Aspect::Value);
}

}  // namespace gui
