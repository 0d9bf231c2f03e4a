#pragma once
// The virtual clock of the simulated machine, in milliseconds since the machine started: Sleep
// advances it and never really sleeps, and the headless toolkit fires timers on it.
#include <cstdint>
#include <mutex>

namespace sim {

class SimClock {
 public:
  std::uint64_t Now() const;
  void Advance(std::uint64_t milliseconds);
  // Total time Sleep asked for.
  std::uint64_t SleptMilliseconds() const;
  // Sleep: counts the time and advances the clock by it.
  void RecordSleep(std::uint32_t milliseconds);

 private:
  mutable std::mutex mutex_;
  std::uint64_t now_ = 0;
  std::uint64_t slept_ = 0;
};

}  // namespace sim
