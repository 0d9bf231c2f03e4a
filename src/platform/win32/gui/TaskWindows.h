#pragma once
// Disables the program's other windows while a modal window or box is up, as a modal display
// does, and gives them back (with the activation) when it ends.
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace gui::win32 {

class TaskWindowsDisabled {
 public:
  // Disables every visible, enabled top-level window of this thread except `except`.
  explicit TaskWindowsDisabled(HWND except);
  ~TaskWindowsDisabled();
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK DisableOne(HWND window, LPARAM self) noexcept;
  HWND except_;
  HWND previouslyActive_;
  std::vector<HWND> disabled_;
};

}  // namespace gui::win32
