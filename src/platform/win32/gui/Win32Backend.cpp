#include "platform/win32/gui/Win32Backend.h"

#include <map>

#include "platform/Errors.h"
#include "platform/gui/Application.h"
#include "platform/gui/Form.h"
#include "platform/gui/Timer.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/gui/BaseWindow.h"
#include "platform/win32/gui/CommonControls.h"
#include "platform/win32/gui/MessageDialogWindow.h"
#include "platform/win32/gui/PeerKinds.h"
#include "platform/win32/gui/TaskWindows.h"

#include <commctrl.h>

namespace gui::win32 {

namespace {

using platform::win32::Wide;

constexpr wchar_t kApplicationClass[] = L"KorvApplication";
// Posted to the application window when a task or synchronised call was queued.
constexpr UINT kWakeMessage = WM_APP + 1;

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = ::LoadIconW(nullptr, SystemResource(IDI_APPLICATION));
  windowClass.hCursor = ::LoadCursorW(nullptr, SystemResource(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception("Cannot register a window class of the toolkit");
  }
}

LPCWSTR SystemIconOf(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return SystemResource(IDI_WARNING);
    case DialogType::Error:
      return SystemResource(IDI_ERROR);
    case DialogType::Information:
      return SystemResource(IDI_INFORMATION);
    case DialogType::Confirmation:
      break;
  }
  return SystemResource(IDI_QUESTION);
}

int ShowMessageBox(HWND owner, const AnsiString& text, const AnsiString& title, unsigned flags) {
  return ::MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), flags);
}

class Win32Backend : public Backend {
 public:
  Win32Backend() {
    RegisterPeers(Peers());
    const auto face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    RegisterWindowClass(kApplicationClass, &BaseWindow<Win32Backend>::Procedure, nullptr);
    RegisterWindowClass(kFormClass, &PeerWindow::Procedure, nullptr);
    RegisterWindowClass(kPanelClass, &PeerWindow::Procedure, nullptr);
    RegisterWindowClass(kDialogClass, kMessageDialogProc, face);
    // The window attaches itself to applicationWindow_ while it is being created.
    if (!::CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), this)) {
      throw Exception("Cannot create the application window");
    }
  }

  ~Win32Backend() override {
    for (const auto& timer : timers_) ::KillTimer(applicationWindow_.Get(), timer.second);
    applicationWindow_.Reset();
  }

  bool FormTakesInput(const Form& form) override {
    const WindowPeer* peer = WindowPeer::Of(&form);
    return peer && peer->Handle() && ::IsWindowVisible(peer->Handle()) &&
           ::IsWindowEnabled(peer->Handle());
  }

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
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      Application::Instance().Terminate();
      return;
    }
    if (got > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    Application::Instance().ServeQueued();
  }

  void DispatchPending() override {
    loopRunning_ = true;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        Application::Instance().Terminate();
        break;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    Application::Instance().ServeQueued();
  }

  void ServeUntil(const std::function<bool()>& done) override {
    for (;;) {
      DispatchPending();
      if (done()) return;
      // Sleeps until a message arrives; WakeUp posts one.
      ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }

  void WakeUp() override { ::PostMessageW(applicationWindow_.Get(), kWakeMessage, 0, 0); }

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
      return ShowMessageBox(ownerPeer->Handle(), text, title, flags);
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
    ::SetWindowTextW(applicationWindow_.Get(), Wide(title).c_str());
  }

  void ErrorReport(const AnsiString& text, const AnsiString& title) override {
    ApplicationMessageBox(text, title, MB_OK | MB_ICONSTOP);
  }

  // For BaseWindow: the hidden application window.
  void Attach(HWND window) { applicationWindow_.Reset(window); }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Application::Exists()) {
      switch (message) {
        case kWakeMessage:
          // Posted tasks and synchronised calls wait until the program's loop runs.
          if (loopRunning_) Application::Instance().ServeQueued();
          return 0;
        case WM_TIMER:
          Tick(wParam);
          return 0;
        default:
          break;
      }
    }
    return ::DefWindowProcW(applicationWindow_.Get(), message, wParam, lParam);
  }
  LRESULT WindowGone(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static_cast<void>(applicationWindow_.Release());
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

 private:
  // A box owned by the hidden application window, with the program's windows disabled meanwhile.
  int ApplicationMessageBox(const AnsiString& text, const AnsiString& title, unsigned flags) {
    TaskWindowsDisabled others(nullptr);
    return ShowMessageBox(applicationWindow_.Get(), text, title, flags);
  }

  // The program's active window, else the application window.
  HWND DialogOwner() const {
    const HWND active = ::GetActiveWindow();
    return active ? active : applicationWindow_.Get();
  }

  void Tick(UINT_PTR id) {
    for (const auto& timer : timers_) {
      if (timer.second == id) {
        timer.first->Tick();
        return;
      }
    }
  }

  // First made and last gone: every window of the back end uses its classes.
  CommonControlsLibrary commonControls_{ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
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
