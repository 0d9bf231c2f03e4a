#pragma once
// One window procedure for every window of the program. The window's GWLP_USERDATA holds the
// object that owns it (a T): set from the creation parameter for the program's own window
// classes (WM_NCCREATE), or right after creation for a subclassed standard control. The
// procedure only finds that object and forwards to it; nothing escapes it.
//
// T provides:
//   void Attach(HWND window);                          // the window is being created for it
//   LRESULT HandleMessage(UINT, WPARAM, LPARAM);       // every message until the end
//   LRESULT WindowGone(HWND, UINT, WPARAM, LPARAM);    // WM_NCDESTROY, after the link is cut;
//                                                      // does the default processing
#include "platform/win32/WindowsApi.h"

namespace gui::win32 {

// Routes an exception out of a window procedure to the default error report.
void ReportFromWindowProc() noexcept;

// Runs a message handler; nothing escapes it (window procedures are noexcept).
template <class Handler>
LRESULT GuardedMessage(Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    ReportFromWindowProc();
  }
  return 0;
}

template <class T>
class BaseWindow {
 public:
  static T* FromHandle(HWND window) {
    return window ? reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
  }

  // Links window and owner; the owner's procedure runs from the next message on.
  static void Link(HWND window, T* owner) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
      auto* owner = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      Link(window, owner);
      if (owner) owner->Attach(window);
    }
    T* owner = FromHandle(window);
    if (!owner) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      Link(window, nullptr);
      return GuardedMessage([&] { return owner->WindowGone(window, message, wParam, lParam); });
    }
    return GuardedMessage([&] { return owner->HandleMessage(message, wParam, lParam); });
  }
};

}  // namespace gui::win32
