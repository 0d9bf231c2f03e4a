#include "platform/win32/gui/WindowPeer.h"

#include <cstring>

#include "platform/Errors.h"
#include "platform/gui/Application.h"

namespace gui::win32 {

namespace {

// Notifications that standard controls send to their parent window, with the child's window
// in lParam.
bool RouteChildNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (WindowPeer* child = WindowPeer::FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->Command(HIWORD(wParam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (WindowPeer* child = WindowPeer::FromHandle(reinterpret_cast<HWND>(lParam))) {
        result = reinterpret_cast<LRESULT>(child->ControlColor(reinterpret_cast<HDC>(wParam)));
        return true;
      }
      return false;
    default:
      return false;
  }
}

AnsiString WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  AnsiString text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

void ReportFromWindowProc() noexcept {
  try {
    if (!Application::Exists()) return;
    try {
      throw;
    } catch (const std::exception& error) {
      Application::Instance().HandleException(error);
    } catch (...) {
      Application::Instance().HandleException(Exception("Unknown error"));
    }
  } catch (...) {
    // The report itself failed (no memory for its text): nothing is left to show it with.
  }
}

WindowPeer::WindowPeer(Control& control) : control_(control) {}

WindowPeer::~WindowPeer() {
  const HWND window = window_.Get();
  if (!window) return;
  // The window must not call back into a peer that is going away.
  ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (standardProc_) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProc_));
  }
}

WindowPeer* WindowPeer::FromHandle(HWND window) {
  if (!window) return nullptr;
  return reinterpret_cast<WindowPeer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

WindowPeer* WindowPeer::Of(const Control* control) {
  return control ? dynamic_cast<WindowPeer*>(control->GetPeer()) : nullptr;
}

void WindowPeer::CreateWindowFor(const CreateArgs& args) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  ownClass_ = std::strncmp(args.className, kOwnClassPrefix, sizeof(kOwnClassPrefix) - 1) == 0;
  const Rect bounds = control_.Bounds();
  // A window of the toolkit's own classes learns its peer from WM_NCCREATE (OwnClassProc).
  const HWND window = ::CreateWindowExA(
      args.exStyle, args.className, control_.Caption().c_str(), args.style, bounds.left, bounds.top,
      bounds.Width(), bounds.Height(), args.parent, nullptr, instance, ownClass_ ? this : nullptr);
  if (!window) {
    throw Exception(Format("Cannot create a window of class %s for %s", args.className,
                           control_.Name().c_str()));
  }
  if (!ownClass_) {
    window_.Reset(window);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    standardProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowPeer::StandardClassProc)));
  }
  Update();
}

HWND WindowPeer::ParentHandle() const {
  const WindowPeer* parent = Of(control_.Parent());
  return parent ? parent->Handle() : nullptr;
}

LRESULT WindowPeer::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (standardProc_) return ::CallWindowProcA(standardProc_, Handle(), message, wParam, lParam);
  return ::DefWindowProcA(Handle(), message, wParam, lParam);
}

LRESULT WindowPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RouteChildNotification(message, wParam, lParam, result)) return result;
  return DefaultProc(message, wParam, lParam);
}

HBRUSH WindowPeer::ControlColor(HDC dc) {
  ::SetTextColor(dc, ToColorRef(control_.GetFont().color));
  ::SetBkColor(dc, ToColorRef(control_.GetColor()));
  return BackgroundBrush();
}

void WindowPeer::Update() {
  if (!Handle()) return;
  UpdateParent();
  UpdateText();
  UpdateFont();
  UpdateKind();
  UpdateGeometry();
  UpdateEnabled();
  UpdateVisibility();
}

void WindowPeer::Invalidate() {
  if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void WindowPeer::UpdateParent() {
  if (!control_.Parent()) return;
  const HWND parent = ParentHandle();
  if (parent && ::GetParent(Handle()) != parent) ::SetParent(Handle(), parent);
}

void WindowPeer::UpdateText() {
  if (WindowText(Handle()) != control_.Caption()) {
    ::SetWindowTextA(Handle(), control_.Caption().c_str());
    if (ownClass_) Invalidate();
  }
}

void WindowPeer::UpdateFont() {
  const HFONT font = CurrentFont();
  if (font != fontSent_) {
    fontSent_ = font;
    ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (ownClass_) Invalidate();
  }
}

void WindowPeer::UpdateGeometry() {
  const Rect bounds = control_.Bounds();
  if (PlacedAt(bounds)) return;
  MarkPlaced(bounds);
  ::SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPeer::UpdateEnabled() {
  const bool enabled = control_.Enabled();
  if ((::IsWindowEnabled(Handle()) != FALSE) != enabled) ::EnableWindow(Handle(), enabled);
}

void WindowPeer::UpdateVisibility() {
  const bool visible = control_.Visible();
  const bool shown = (::GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != shown) ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void WindowPeer::WindowDestroyed() {
  const HWND window = window_.Release();
  ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (standardProc_) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProc_));
    standardProc_ = nullptr;
  }
}

LRESULT CALLBACK WindowPeer::OwnClassProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* peer = static_cast<WindowPeer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
    if (peer) peer->window_.Reset(window);
  }
  WindowPeer* peer = FromHandle(window);
  if (!peer) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    peer->WindowDestroyed();
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  return GuardedMessage([&] { return peer->HandleMessage(message, wParam, lParam); });
}

LRESULT CALLBACK WindowPeer::StandardClassProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) noexcept {
  WindowPeer* peer = FromHandle(window);
  if (!peer) return ::DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC standard = peer->standardProc_;
  if (message == WM_NCDESTROY) {
    // Destroyed with its parent: the class's procedure still cleans up, the peer lets go.
    peer->WindowDestroyed();
    return ::CallWindowProcA(standard, window, message, wParam, lParam);
  }
  return GuardedMessage([&] { return peer->HandleMessage(message, wParam, lParam); });
}

}  // namespace gui::win32
