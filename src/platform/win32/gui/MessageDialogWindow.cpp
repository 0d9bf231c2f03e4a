#include "platform/win32/gui/MessageDialogWindow.h"

#include <algorithm>
#include <vector>

#include "platform/Errors.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/gui/BaseWindow.h"
#include "platform/win32/gui/GdiSupport.h"
#include "platform/win32/gui/TaskWindows.h"
#include "platform/win32/gui/WindowPeer.h"

namespace gui::win32 {

namespace {

using platform::win32::UniqueHwnd;
using platform::win32::Wide;

struct ButtonSpec {
  unsigned flag;
  int answer;
  const wchar_t* caption;
};

// In the order they appear, left to right.
constexpr ButtonSpec kButtons[] = {
    {dlg::kYes, idYes, L"&Yes"},
    {dlg::kNo, idNo, L"&No"},
    {dlg::kOk, idOk, L"OK"},
    {dlg::kCancel, idCancel, L"Cancel"},
};

// Enter presses OK, else Yes; Escape presses Cancel, else No, else OK.
int DefaultAnswer(unsigned buttons) {
  if (buttons & dlg::kOk) return idOk;
  if (buttons & dlg::kYes) return idYes;
  return 0;
}

int CancelAnswer(unsigned buttons) {
  if (buttons & dlg::kCancel) return idCancel;
  if (buttons & dlg::kNo) return idNo;
  if (buttons & dlg::kOk) return idOk;
  return idCancel;
}

// Pixel sizes of dialog units in the dialog's font.
struct DialogUnits {
  int x = 6;
  int y = 13;
  int X(int units) const { return ::MulDiv(units, x, 4); }
  int Y(int units) const { return ::MulDiv(units, y, 8); }
};

DialogUnits UnitsOf(HFONT font) {
  DialogUnits units;
  WindowDc screen;
  SelectedObject selected(screen.Get(), font);
  static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size;
  TEXTMETRICW metrics;
  if (::GetTextExtentPoint32W(screen.Get(), kAlphabet, 52, &size) &&
      ::GetTextMetricsW(screen.Get(), &metrics)) {
    units.x = (size.cx / 26 + 1) / 2;
    units.y = metrics.tmHeight;
  }
  return units;
}

class MessageDialog {
 public:
  explicit MessageDialog(const MessageDialogContent& content)
      : content_(content),
        defaultAnswer_(DefaultAnswer(content.buttons)),
        cancelAnswer_(CancelAnswer(content.buttons)),
        font_(MakeMessageFont()) {}

  int Run(HWND owner) {
    Build(owner);
    {
      TaskWindowsDisabled others(window_.Get());
      ::ShowWindow(window_.Get(), SW_SHOWNORMAL);
      ::SetForegroundWindow(window_.Get());
      if (defaultButton_) ::SetFocus(defaultButton_);
      Loop();
    }
    window_.Reset();
    return answer_;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Answer(LOWORD(wParam));
        return 0;
      case WM_CLOSE:
        answer_ = idCancel;  // the close box of a modal window
        return 0;
      case DM_GETDEFID:
        return defaultAnswer_ ? MAKELRESULT(defaultAnswer_, DC_HASDEFID) : 0;
      default:
        return ::DefWindowProcW(window_.Get(), message, wParam, lParam);
    }
  }

  void Attach(HWND window) { window_.Reset(window); }
  // The window went with its owner: the dialog ends as if cancelled.
  LRESULT WindowGone(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static_cast<void>(window_.Release());
    if (answer_ == 0) answer_ = idCancel;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

 private:
  void Answer(int id) {
    if (id == IDCANCEL && !(content_.buttons & dlg::kCancel)) {
      answer_ = cancelAnswer_;  // Escape
      return;
    }
    for (const ButtonSpec& button : kButtons) {
      if (button.answer == id && (content_.buttons & button.flag)) answer_ = id;
    }
  }

  void Build(HWND owner) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const HWND window = ::CreateWindowExW(exStyle, kDialogClass, Wide(content_.title).c_str(),
                                          style, 0, 0, 0, 0, owner, nullptr, instance, this);
    if (!window) throw Exception("Cannot create the message dialog");

    const auto font = static_cast<HFONT>(font_.Get());
    const DialogUnits du = UnitsOf(font);
    const int margin = du.X(8);
    const int topMargin = du.Y(8);
    const int spacing = du.X(10);
    const int iconSize = content_.systemIcon ? ::GetSystemMetrics(SM_CXICON) : 0;

    RECT textArea = {0, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
      WindowDc dc(window);
      SelectedObject selected(dc.Get(), font);
      DrawProgramText(dc.Get(), content_.text, textArea,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    const int textWidth = textArea.right;
    const int textHeight = textArea.bottom;
    const int textLeft = margin + (iconSize ? iconSize + spacing : 0);

    std::vector<const ButtonSpec*> buttons;
    for (const ButtonSpec& button : kButtons) {
      if (content_.buttons & button.flag) buttons.push_back(&button);
    }
    const int buttonWidth = du.X(50);
    const int buttonHeight = du.Y(14);
    const int buttonSpacing = du.X(4);
    const int count = static_cast<int>(buttons.size());
    const int buttonsWidth = count * buttonWidth + std::max(0, count - 1) * buttonSpacing;

    const int contentWidth = std::max(textLeft - margin + textWidth, buttonsWidth);
    const int contentHeight = std::max(iconSize, textHeight);
    const int clientWidth = contentWidth + 2 * margin;
    const int buttonTop = topMargin + contentHeight + du.Y(10);
    const int clientHeight = buttonTop + buttonHeight + topMargin;

    if (iconSize) {
      const HWND icon =
          MakeChild(L"STATIC", L"", SS_ICON, margin, topMargin, iconSize, iconSize, 0);
      ::SendMessageW(icon, STM_SETICON,
                     reinterpret_cast<WPARAM>(::LoadIconW(nullptr, content_.systemIcon)), 0);
    }
    MakeChild(L"STATIC", Wide(content_.text).c_str(), SS_LEFT | SS_NOPREFIX, textLeft, topMargin,
              textWidth, textHeight, 0);
    int left = (clientWidth - buttonsWidth) / 2;
    for (const ButtonSpec* button : buttons) {
      const bool isDefault = button->answer == defaultAnswer_;
      const HWND made = MakeChild(L"BUTTON", button->caption,
                                  WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), left,
                                  buttonTop, buttonWidth, buttonHeight, button->answer);
      if (isDefault || !defaultButton_) defaultButton_ = made;
      left += buttonWidth + buttonSpacing;
    }

    RECT outer = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    ::SetWindowPos(window, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND MakeChild(const wchar_t* className, const wchar_t* text, DWORD style, int left, int top,
                 int width, int height, int id) {
    const HWND child = ::CreateWindowExW(
        0, className, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, window_.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return child;
  }

  // Serves messages (and, through the application window, posted tasks and synchronised
  // calls) until an answer is given or the application ends.
  void Loop() {
    while (answer_ == 0) {
      if (Application::Exists() && Application::Instance().Terminated()) {
        answer_ = idCancel;
        break;
      }
      MSG message;
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
        answer_ = idCancel;
        break;
      }
      if (got < 0) {
        answer_ = idCancel;
        break;
      }
      if (!::IsDialogMessageW(window_.Get(), &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
  }

  const MessageDialogContent& content_;
  const int defaultAnswer_;
  const int cancelAnswer_;
  UniqueGdiObject font_;
  HWND defaultButton_ = nullptr;
  int answer_ = 0;
  UniqueHwnd window_;  // last: destroyed before the font its children use
};

}  // namespace

int RunMessageDialog(const MessageDialogContent& content, HWND owner) {
  MessageDialog dialog(content);
  return dialog.Run(owner);
}

const WNDPROC kMessageDialogProc = &BaseWindow<MessageDialog>::Procedure;

}  // namespace gui::win32
