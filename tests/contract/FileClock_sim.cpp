#include <chrono>

#include "contract/FileClock.h"

namespace contract {

std::uint64_t NowInFileTicks() {
  constexpr std::uint64_t kTicksFrom1601To1970 = 116444736000000000ull;
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return kTicksFrom1601To1970 +
         static_cast<std::uint64_t>(
             std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count() / 100);
}

void LetTheFileClockMoveOn() {}

}  // namespace contract
