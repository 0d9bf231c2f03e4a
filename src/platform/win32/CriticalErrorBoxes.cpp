#include "platform/win32/CriticalErrorBoxes.h"

namespace platform::win32 {

// Windows 7 brought the per-thread error mode; it is looked up rather than imported so that the
// program still starts on the systems before.
CriticalErrorBoxesSuppressed::SetThreadErrorModeFn
CriticalErrorBoxesSuppressed::LookUpSetThreadErrorMode() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<SetThreadErrorModeFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetThreadErrorMode")));
}

CriticalErrorBoxesSuppressed::CriticalErrorBoxesSuppressed(Scope scope)
    : setThreadMode_(scope == Scope::Thread ? LookUpSetThreadErrorMode() : nullptr) {
  if (setThreadMode_) {
    DWORD previous = 0;
    // The thread's other choices stay as they are: the call gives the old mode to add to.
    if (setThreadMode_(SEM_FAILCRITICALERRORS, &previous)) {
      previous_ = previous;
      setThreadMode_(previous | SEM_FAILCRITICALERRORS, nullptr);
      return;
    }
    setThreadMode_ = nullptr;
  }
  previous_ = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  ::SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
}

CriticalErrorBoxesSuppressed::~CriticalErrorBoxesSuppressed() {
  if (setThreadMode_) {
    setThreadMode_(previous_, nullptr);
  } else {
    ::SetErrorMode(static_cast<UINT>(previous_));
  }
}

}  // namespace platform::win32
