#pragma once
// The system's critical-error boxes ("There is no disk in the drive", "The device is not ready")
// held back while a CriticalErrorBoxesSuppressed lives, so that a query on an empty removable or
// disc drive fails quietly with its error instead of stopping the program on a box; the error
// mode before is restored after.
#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

class CriticalErrorBoxesSuppressed {
 public:
  enum class Scope {
    Thread,   // only the calling thread (the whole process on systems before Windows 7)
    Process,  // every thread, for calls that hand the work to threads of the system's own
  };
  explicit CriticalErrorBoxesSuppressed(Scope scope = Scope::Thread);
  ~CriticalErrorBoxesSuppressed();
  CriticalErrorBoxesSuppressed(const CriticalErrorBoxesSuppressed&) = delete;
  CriticalErrorBoxesSuppressed& operator=(const CriticalErrorBoxesSuppressed&) = delete;

 private:
  using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);
  static SetThreadErrorModeFn LookUpSetThreadErrorMode();

  SetThreadErrorModeFn setThreadMode_;  // null: the process's mode is the one changed
  DWORD previous_ = 0;
};

}  // namespace platform::win32
