#include "platform/sim/SimClock.h"

namespace sim {

std::uint64_t SimClock::Now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void SimClock::Advance(std::uint64_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += milliseconds;
}

std::uint64_t SimClock::SleptMilliseconds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slept_;
}

void SimClock::RecordSleep(std::uint32_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  slept_ += milliseconds;
  now_ += milliseconds;
}

}  // namespace sim
