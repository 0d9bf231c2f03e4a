#include "platform/win32/gui/Win32Backend.h"

#include <map>

#include "platform/Errors.h"
#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"
#include "platform/win32/gui/MessageDialogWindow.h"
#include "platform/win32/gui/PeerKinds.h"
#include "platform/win32/gui/TaskWindows.h"

#include <commctrl.h>
#include <ole2.h>

namespace gui::win32 {

namespace {

constexpr char kApplicationClass[] = "KorvApplication";
// Posted to the application window when a task or synchronised call was queued.
constexpr UINT kWakeMessage = WM_APP + 1;

void RegisterWindowClass(const char* name, WNDPROC procedure, HBRUSH background) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception(Format("Cannot register the window class %s", name));
  }
}

LPCSTR SystemIconOf(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return IDI_WARNING;
    case DialogType::Error:
      return IDI_ERROR;
    case DialogType::Information:
      return IDI_INFORMATION;
    case DialogType::Confirmation:
      break;
  }
  return IDI_QUESTION;
}

class Win32Backend : public Backend {
 public:
  Win32Backend() {
    oleInitialized_ = SUCCEEDED(::OleInitialize(nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const auto face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    RegisterWindowClass(kApplicationClass, &Win32Backend::ApplicationProc, nullptr);
    RegisterWindowClass(kFormClass, &WindowPeer::OwnClassProc, nullptr);
    RegisterWindowClass(kPanelClass, &WindowPeer::OwnClassProc, nullptr);
    RegisterWindowClass(kDialogClass, &MessageDialogProc, face);
    applicationWindow_.Reset(::CreateWindowExA(0, kApplicationClass, "", WS_POPUP, 0, 0, 0, 0,
                                               nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                               this));
    if (!applicationWindow_) throw Exception("Cannot create the application window");
  }

  ~Win32Backend() override {
    for (const auto& timer : timers_) ::KillTimer(applicationWindow_.Get(), timer.second);
    applicationWindow_.Reset();
    if (oleInitialized_) ::OleUninitialize();
  }

  std::unique_ptr<Peer> CreatePeer(Control& control) override { return MakePeer(control); }

  Size MeasureText(const Font& font, const AnsiString& text) override {
    return win32::MeasureText(measureFont_.Get(font), text);
  }

  Size ScreenSize() override {
    return Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }

  void WaitAndDispatch() override {
    loopRunning_ = true;
    // Queued work whose wake-up message another loop already took runs now.
    if (Application::Instance().ServeQueued()) return;
    MSG message;
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      Application::Instance().Terminate();
      return;
    }
    if (got > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    Application::Instance().ServeQueued();
  }

  void DispatchPending() override {
    loopRunning_ = true;
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        Application::Instance().Terminate();
        break;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    Application::Instance().ServeQueued();
  }

  void WakeUp() override { ::PostMessageA(applicationWindow_.Get(), kWakeMessage, 0, 0); }

  void TimerChanged(Timer& timer) override {
    const auto found = timers_.find(&timer);
    if (found != timers_.end()) {
      ::KillTimer(applicationWindow_.Get(), found->second);
      timers_.erase(found);
    }
    if (!timer.Enabled() || timer.Interval() == 0) return;
    // A fresh id each time: a tick of the old setting still queued finds no timer.
    const UINT_PTR id = ++lastTimerId_;
    if (::SetTimer(applicationWindow_.Get(), id, timer.Interval(), nullptr)) {
      timers_.emplace(&timer, id);
    }
  }

  void BeginModal(Form& form) override {
    const WindowPeer* peer = WindowPeer::Of(&form);
    modal_.push_back(std::make_unique<TaskWindowsDisabled>(peer ? peer->Handle() : nullptr));
  }

  void EndModal(Form& form) override {
    if (modal_.empty()) return;
    modal_.pop_back();
    // The modal form stays usable whatever was disabled around it.
    if (const WindowPeer* peer = WindowPeer::Of(&form)) ::EnableWindow(peer->Handle(), TRUE);
  }

  int SystemMessageBox(Form* owner, const AnsiString& text, const AnsiString& title,
                       unsigned flags) override {
    const WindowPeer* ownerPeer = WindowPeer::Of(owner);
    if (ownerPeer && ownerPeer->Handle()) {
      return ::MessageBoxA(ownerPeer->Handle(), text.c_str(), title.c_str(), flags);
    }
    return ApplicationMessageBox(text, title, flags);
  }

  int MessageDialog(const AnsiString& text, DialogType type, unsigned buttons) override {
    return RunMessageDialog({DialogTitle(type), text, SystemIconOf(type), buttons}, DialogOwner());
  }

  void PlainMessage(const AnsiString& text, const AnsiString& title) override {
    RunMessageDialog({title, text, nullptr, dlg::kOk}, DialogOwner());
  }

  void ApplicationTitleChanged(const AnsiString& title) override {
    ::SetWindowTextA(applicationWindow_.Get(), title.c_str());
  }

  void ErrorReport(const AnsiString& text, const AnsiString& title) override {
    ApplicationMessageBox(text, title, MB_OK | MB_ICONSTOP);
  }

 private:
  // A box owned by the hidden application window, with the program's windows disabled meanwhile.
  int ApplicationMessageBox(const AnsiString& text, const AnsiString& title, unsigned flags) {
    TaskWindowsDisabled others(nullptr);
    return ::MessageBoxA(applicationWindow_.Get(), text.c_str(), title.c_str(), flags);
  }

  // The program's active window, else the application window.
  HWND DialogOwner() const {
    const HWND active = ::GetActiveWindow();
    return active ? active : applicationWindow_.Get();
  }

  static LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrA(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Backend*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && Application::Exists()) {
      switch (message) {
        case kWakeMessage:
          // Posted tasks and synchronised calls wait until the program's loop runs.
          if (self->loopRunning_) {
            return GuardedMessage([] { return Application::Instance().ServeQueued(), 0; });
          }
          return 0;
        case WM_TIMER:
          return GuardedMessage([&] { return self->Tick(wParam), 0; });
        default:
          break;
      }
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return ::DefWindowProcA(window, message, wParam, lParam);
  }

  void Tick(UINT_PTR id) {
    for (const auto& timer : timers_) {
      if (timer.second == id) {
        timer.first->Tick();
        return;
      }
    }
  }

  bool oleInitialized_ = false;
  bool loopRunning_ = false;
  UINT_PTR lastTimerId_ = 0;
  std::map<Timer*, UINT_PTR> timers_;
  std::vector<std::unique_ptr<TaskWindowsDisabled>> modal_;
  FontCache measureFont_;
  platform::win32::UniqueHwnd applicationWindow_;
};

}  // namespace

}  // namespace gui::win32

namespace gui {

std::unique_ptr<Backend> CreateWin32Backend() { return std::make_unique<win32::Win32Backend>(); }

}  // namespace gui
