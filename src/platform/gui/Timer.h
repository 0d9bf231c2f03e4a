#pragma once
// A timer whose ticks run on the user-interface thread, from the message loop.
#include <cstdint>
#include <functional>

#include "platform/gui/Component.h"

namespace gui {

class Timer : public Component {
 public:
  Timer(Component* owner, AnsiString name);
  ~Timer() override;

  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t milliseconds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  std::function<void()> OnTimer;

  // Called by the back end when the interval has passed; runs OnTimer under the error report.
  void Tick();

 private:
  void Changed();
  std::uint32_t interval_ = 1000;
  bool enabled_ = true;
};

}  // namespace gui
