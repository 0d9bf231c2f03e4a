// Forms: top-level windows of the toolkit's own class.
#include "platform/ScopeExit.h"
#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/win32/gui/HdcCanvas.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

struct FrameStyle {
  DWORD style;
  DWORD exStyle;
};

FrameStyle FrameStyleFor(BorderStyle border) {
  constexpr DWORD kCommon = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (border) {
    case BorderStyle::None:
      return {WS_POPUP | kCommon, WS_EX_CONTROLPARENT};
    case BorderStyle::Dialog:
      // Caption with a close box only, fixed size.
      return {WS_POPUP | WS_CAPTION | WS_SYSMENU | kCommon,
              WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT};
    case BorderStyle::Sizeable:
      break;
  }
  return {WS_OVERLAPPEDWINDOW | kCommon, WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT};
}

// Every form but the main one is owned by the main form's window, so it stays in front of it
// and has no taskbar button of its own.
HWND OwnerFor(const Form& form) {
  const Form* main = Application::Instance().MainForm();
  if (!main || main == &form) return nullptr;
  const WindowPeer* peer = WindowPeer::Of(main);
  return peer ? peer->Handle() : nullptr;
}

class FormPeer : public WindowPeer {
 public:
  explicit FormPeer(Form& form) : WindowPeer(form), form_(form) {}

  void Create() {
    const FrameStyle frame = FrameStyleFor(form_.GetBorderStyle());
    CreateWindowFor({kFormClass, frame.style, frame.exStyle, OwnerFor(form_)});
    ready_ = true;
    Update(Changes::All());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CLOSE:
        form_.Close();
        return 0;
      case WM_ACTIVATE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE) Application::Instance().FormActivated(form_);
        return result;
      }
      case WM_SIZE:
        if (ready_ && wParam != SIZE_MINIMIZED) ReportClientSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_ERASEBKGND: {
        RECT client;
        ::GetClientRect(Handle(), &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush());
        return 1;
      }
      case WM_PAINT:
        Paint();
        return 0;
      default:
        return WindowPeer::HandleMessage(message, wParam, lParam);
    }
  }

 protected:
  // Border style, window state and position decide where the window goes.
  void UpdateKind(Changes changed) override {
    if (changed.Has(Aspect::Style)) UpdateGeometry();
  }

  void UpdateGeometry() override {
    // A size being reported is already there; a maximised framed window is sized by the system.
    if (!ready_ || reportingSize_) return;
    if (CoversScreen()) {
      PlaceOnScreen();
      return;
    }
    if (form_.GetWindowState() == WindowState::Maximized) return;
    const Rect bounds = form_.Bounds();
    if (PlacedAt(bounds)) return;
    MarkPlaced(bounds);
    // The form's bounds are its client area; the window adds its frame around it.
    RECT outer = {0, 0, bounds.Width(), bounds.Height()};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)),
                         FALSE, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int left = bounds.left;
    int top = bounds.top;
    if (form_.GetPosition() == Position::ScreenCenter) {
      left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
      top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void UpdateVisibility() override {
    if (!ready_) return;
    const bool shown = ::IsWindowVisible(Handle()) != FALSE;
    const bool maximized = form_.GetWindowState() == WindowState::Maximized && !CoversScreen();
    if (form_.Visible()) {
      if (!shown) {
        ::ShowWindow(Handle(), maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        ::SetForegroundWindow(Handle());
      } else if (maximized && !::IsZoomed(Handle())) {
        ::ShowWindow(Handle(), SW_MAXIMIZE);
      }
    } else if (shown) {
      ::ShowWindow(Handle(), SW_HIDE);
    }
  }

  // Modal displays enable and disable forms; the form's own flag does not.
  void UpdateEnabled() override {}

 private:
  // A borderless maximised form is placed over the whole screen rather than maximised by the
  // system, which would leave it to a window manager (and keep it from the taskbar's area).
  bool CoversScreen() const {
    return form_.GetWindowState() == WindowState::Maximized &&
           form_.GetBorderStyle() == BorderStyle::None;
  }

  void PlaceOnScreen() {
    const Rect screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (PlacedAt(screen)) return;
    MarkPlaced(screen);
    ::SetWindowPos(Handle(), nullptr, screen.left, screen.top, screen.Width(), screen.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void ReportClientSize(int width, int height) {
    reportingSize_ = true;
    auto done = platform::MakeScopeExit([this] { reportingSize_ = false; });
    form_.SetClientSize(width, height);
    MarkPlaced(form_.Bounds());
  }

  void Paint() {
    PaintDc paint(Handle());
    HdcCanvas canvas(paint.Get());
    form_.Paint(canvas);
  }

  Form& form_;
  bool ready_ = false;
  bool reportingSize_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Form& form) {
  auto peer = std::make_unique<FormPeer>(form);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
