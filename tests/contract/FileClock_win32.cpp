#include "contract/FileClock.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

std::uint64_t NowInFileTicks() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

void LetTheFileClockMoveOn() { ::Sleep(50); }

}  // namespace contract
