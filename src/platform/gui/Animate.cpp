#include "platform/gui/Animate.h"

#include <algorithm>

namespace gui {

namespace {

// Stores value into field; true when that changed it.
bool Assign(int& field, int value) {
  if (field == value) return false;
  field = value;
  return true;
}

bool Assign(bool& field, bool value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

void Animate::SetCommonAvi(CommonAvi clip) {
  if (clip_ == clip) return;
  clip_ = clip;
  Changed(Aspect::Value);
}

void Animate::SetStartFrame(int frame) {
  if (Assign(startFrame_, std::max(frame, 1))) Changed(Aspect::Value);
}

void Animate::SetStopFrame(int frame) {
  if (Assign(stopFrame_, std::max(frame, 0))) Changed(Aspect::Value);
}

void Animate::SetRepetitions(int repetitions) {
  if (Assign(repetitions_, std::max(repetitions, 0))) Changed(Aspect::Value);
}

void Animate::SetActive(bool active) {
  if (Assign(active_, active)) Changed(Aspect::Value);
}

void Animate::SetTransparent(bool transparent) {
  if (Assign(transparent_, transparent)) Changed(Aspect::Style);
}

}  // namespace gui
