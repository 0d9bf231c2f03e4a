#pragma once
// A progress bar: a position between Min and Max.
#include "platform/gui/Control.h"

namespace gui {

class ProgressBar : public Control {
 public:
  ProgressBar(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "ProgressBar"; }
  std::type_index PeerKind() const override { return typeid(ProgressBar); }

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  // The range; the position is kept inside it.
  void SetRange(int min, int max);
  // Kept inside the range.
  void SetPosition(int position);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

}  // namespace gui
