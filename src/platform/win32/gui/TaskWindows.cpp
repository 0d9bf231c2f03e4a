#include "platform/win32/gui/TaskWindows.h"

namespace gui::win32 {

TaskWindowsDisabled::TaskWindowsDisabled(HWND except)
    : except_(except), previouslyActive_(::GetActiveWindow()) {
  ::EnumThreadWindows(::GetCurrentThreadId(), &TaskWindowsDisabled::DisableOne,
                      reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK TaskWindowsDisabled::DisableOne(HWND window, LPARAM self) noexcept {
  auto* disabler = reinterpret_cast<TaskWindowsDisabled*>(self);
  if (window == disabler->except_ || !::IsWindowVisible(window) || !::IsWindowEnabled(window)) {
    return TRUE;
  }
  try {
    disabler->disabled_.push_back(window);
  } catch (...) {
    return FALSE;  // out of memory: leave the remaining windows enabled rather than lose them
  }
  ::EnableWindow(window, FALSE);
  return TRUE;
}

TaskWindowsDisabled::~TaskWindowsDisabled() {
  // Enabled again before the modal window goes, so the activation returns to the program.
  for (HWND window : disabled_) {
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  }
  if (previouslyActive_ && ::IsWindow(previouslyActive_) && ::IsWindowVisible(previouslyActive_)) {
    ::SetActiveWindow(previouslyActive_);
  }
}

}  // namespace gui::win32
