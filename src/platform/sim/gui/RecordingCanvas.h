#pragma once
// A canvas that keeps every fill, so a test can check what a paint handler painted.
#include <vector>

#include "platform/gui/Canvas.h"

namespace sim {

struct Fill {
  gui::Color color;
  gui::Rect rect;
};

class RecordingCanvas : public gui::Canvas {
 public:
  void FillRect(const gui::Rect& rect) override { fills_.push_back({BrushColor(), rect}); }
  const std::vector<Fill>& Fills() const { return fills_; }

 private:
  std::vector<Fill> fills_;
};

}  // namespace sim
