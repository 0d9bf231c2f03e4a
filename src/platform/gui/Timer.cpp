#include "platform/gui/Timer.h"

#include "platform/gui/Application.h"

namespace gui {

Timer::Timer(Component* owner, AnsiString name) : Component(owner, std::move(name)) { Changed(); }

Timer::~Timer() {
  enabled_ = false;
  Changed();
}

void Timer::SetInterval(std::uint32_t milliseconds) {
  if (interval_ == milliseconds) return;
  interval_ = milliseconds;
  Changed();
}

void Timer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void Timer::Tick() {
  if (enabled_ && OnTimer) Application::Instance().Guard(OnTimer);
}

void Timer::Changed() {
  if (Application::Exists()) Application::Instance().GetBackend().TimerChanged(*this);
}

}  // namespace gui
