#include "platform/win32/gui/WindowPeer.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "platform/Errors.h"
#include "platform/gui/Application.h"
#include "platform/win32/Cp936.h"

namespace gui::win32 {

using platform::win32::Narrow;
using platform::win32::Wide;

namespace {

// Notifications that standard controls send to their parent window, with the child's window
// in lParam (or, for WM_NOTIFY of the common controls, in the header lParam points to).
bool RouteChildNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (WindowPeer* child = WindowPeer::FromHandle(header.hwndFrom)) {
        result = child->Notify(header);
        return true;
      }
      return false;
    }
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

bool IsOwnClass(const wchar_t* className) {
  return std::wcscmp(className, kFormClass) == 0 || std::wcscmp(className, kPanelClass) == 0;
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
  PeerWindow::Link(window, nullptr);
  if (standardProc_) {
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProc_));
  }
}

WindowPeer* WindowPeer::FromHandle(HWND window) { return PeerWindow::FromHandle(window); }

WindowPeer* WindowPeer::Of(const Control* control) {
  return control ? dynamic_cast<WindowPeer*>(control->GetPeer()) : nullptr;
}

void WindowPeer::CreateWindowFor(const CreateArgs& args) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ownClass_ = IsOwnClass(args.className);
  const Rect bounds = control_.Bounds();
  // A window of the toolkit's own classes learns its peer from WM_NCCREATE; a standard control
  // is subclassed once it exists.
  const HWND window =
      ::CreateWindowExW(args.exStyle, args.className, Wide(control_.Caption()).c_str(), args.style,
                        bounds.left, bounds.top, bounds.Width(), bounds.Height(), args.parent,
                        nullptr, instance, ownClass_ ? this : nullptr);
  if (!window) {
    throw Exception(Format("Cannot create the window of %s (kind %s)", control_.Name().c_str(),
                           control_.Kind()));
  }
  if (!ownClass_) {
    Attach(window);
    PeerWindow::Link(window, this);
    standardProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PeerWindow::Procedure)));
  }
  if ((args.style & WS_CHILD) != 0) PlaceAmongSiblings();
  Update(Changes::All());
}

HWND WindowPeer::ParentHandle() const {
  const WindowPeer* parent = Of(control_.Parent());
  return parent ? parent->Handle() : nullptr;
}

LRESULT WindowPeer::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (standardProc_) return ::CallWindowProcW(standardProc_, Handle(), message, wParam, lParam);
  return ::DefWindowProcW(Handle(), message, wParam, lParam);
}

LRESULT WindowPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR && SetOwnCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) {
    return TRUE;
  }
  LRESULT result = 0;
  if (RouteChildNotification(message, wParam, lParam, result)) return result;
  return DefaultProc(message, wParam, lParam);
}

bool WindowPeer::SetOwnCursor(HWND under, WORD hitTest) {
  // Only over this window's client area: its children and frame keep their own pointers.
  if (under != Handle() || hitTest != HTCLIENT) return false;
  switch (control_.GetCursor()) {
    case Cursor::HandPoint:
      ::SetCursor(::LoadCursorW(nullptr, SystemResource(IDC_HAND)));
      return true;
    case Cursor::Default:
      break;
  }
  return false;
}

LRESULT WindowPeer::WindowGone(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Destroyed with its parent: the class's own procedure still cleans up, the peer lets go.
  static_cast<void>(window_.Release());
  const WNDPROC standard = std::exchange(standardProc_, nullptr);
  if (!standard) return ::DefWindowProcW(window, message, wParam, lParam);
  ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standard));
  return ::CallWindowProcW(standard, window, message, wParam, lParam);
}

HBRUSH WindowPeer::ControlColor(HDC dc) {
  ::SetTextColor(dc, ToColorRef(control_.GetFont().color));
  ::SetBkColor(dc, ToColorRef(control_.GetColor()));
  return BackgroundBrush();
}

void WindowPeer::Update(Changes changed) {
  if (!Handle()) return;
  if (changed.Has(Aspect::Parent)) UpdateParent();
  if (changed.Has(Aspect::Text)) UpdateText();
  if (changed.Has(Aspect::Font)) UpdateFont();
  // Colours come from ControlColor or the painting, at the next paint.
  if (changed.Has(Aspect::Color)) Invalidate();
  UpdateKind(changed);
  if (changed.Has(Aspect::Bounds)) UpdateGeometry();
  if (changed.Has(Aspect::Enabled)) UpdateEnabled();
  if (changed.Has(Aspect::Visible)) UpdateVisibility();
}

void WindowPeer::Invalidate() {
  if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

AnsiString WindowPeer::WindowText() const {
  const int length = ::GetWindowTextLengthW(Handle());
  std::vector<wchar_t> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int got = ::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()));
  return Narrow(std::wstring_view(text.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
}

void WindowPeer::SetWindowText(const AnsiString& text) {
  ::SetWindowTextW(Handle(), Wide(text).c_str());
}

void WindowPeer::SetStyleBits(DWORD mask, DWORD bits) {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE));
  const DWORD wanted = (style & ~mask) | (bits & mask);
  if (wanted != style) ::SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(wanted));
}

void WindowPeer::UpdateParent() {
  if (!control_.Parent()) return;
  const HWND parent = ParentHandle();
  if (parent && ::GetParent(Handle()) != parent) {
    ::SetParent(Handle(), parent);
    PlaceAmongSiblings();
  }
}

void WindowPeer::PlaceAmongSiblings() {
  const Control* parent = control_.Parent();
  if (!parent) return;
  const HWND parentWindow = ::GetParent(Handle());
  HWND above = nullptr;
  for (const Control* sibling : parent->Children()) {
    if (sibling == &control_) break;
    const WindowPeer* peer = Of(sibling);
    if (peer && peer->Handle() && ::GetParent(peer->Handle()) == parentWindow) {
      above = peer->Handle();
    }
  }
  // Usually the window is there already: made in the controls' order, each went to the bottom.
  if (::GetWindow(Handle(), GW_HWNDPREV) == above) return;
  ::SetWindowPos(Handle(), above ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowPeer::UpdateText() {
  SetWindowText(control_.Caption());
  if (ownClass_) Invalidate();
}

void WindowPeer::UpdateFont() {
  const HFONT font = CurrentFont();
  if (font != fontSent_) {
    fontSent_ = font;
    ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
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
  const bool shown = (::GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != shown) ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace gui::win32
