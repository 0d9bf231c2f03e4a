#include "host/RunningProduct.h"

#include <array>
#include <cstdint>

#include "platform/Process.h"

const char* const kProductWindowClass = "TKorv30";

namespace {

constexpr std::array<const char*, 4> kProductProcessNames = {"KORV.EXE", "KORV.exe", "korv.EXE",
                                                             "korv.exe"};
constexpr std::uint32_t kTerminatedProductExitCode = 4;
// A walk past passed-over product windows ends at the last window; the cap only guards against
// a Z order that keeps changing under the walk.
constexpr int kMaxWindowsWalked = 65536;

// The file-name part of a process's executable path: after the last "\" or ":", where a trail
// byte of a CP936 character is never taken for a separator.
AnsiString ExecutableNameOf(const AnsiString& path) {
  const std::size_t separator = LastDelimiter(path, "\\:");
  return separator == AnsiString::npos ? path : path.substr(separator + 1);
}

bool IsProductProcessName(const AnsiString& exeName) {
  for (const char* name : kProductProcessNames) {
    if (exeName == name) return true;
  }
  return false;
}

}  // namespace

bool ProductProcessRunning() {
  const auto processNames = platform::SnapshotProcessNames();
  if (!processNames) return false;
  bool running = false;
  for (const AnsiString& exePath : *processNames) {
    if (IsProductProcessName(ExecutableNameOf(exePath))) running = true;
  }
  return running;
}

void EndProductWindowProcess(const AnsiString& windowClass, const AnsiString& ownTitle) {
  platform::WindowRef window = platform::FindTopLevelWindow(windowClass);
  for (int walked = 0; window != 0 && walked < kMaxWindowsWalked; ++walked) {
    if (platform::WindowHasClass(window, windowClass)) {
      const AnsiString title = platform::WindowTitle(window);
      if (!title.empty() && title != ownTitle) {
        platform::TerminateProcessById(platform::WindowProcessId(window),
                                       kTerminatedProductExitCode);
        return;
      }
    }
    window = platform::NextWindowInZOrder(window);
  }
}
