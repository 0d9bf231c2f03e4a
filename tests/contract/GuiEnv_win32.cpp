// The contract's GUI in the Windows build: the real back end, and a user who sends the
// controls' windows what the system sends them for a person's clicks and keys.
#include <string>

#include "contract/GuiEnv.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/gui/Win32Backend.h"
#include "platform/win32/gui/WindowPeer.h"

namespace contract {

namespace {

HWND WindowOf(gui::Control& control) {
  const gui::win32::WindowPeer* peer = gui::win32::WindowPeer::Of(&control);
  if (!peer || !peer->Handle()) throw std::runtime_error("the control has no window");
  return peer->Handle();
}

bool IsButtonClass(HWND window) {
  wchar_t name[32] = {};
  ::GetClassNameW(window, name, 32);
  return std::wstring(name) == L"Button";
}

}  // namespace

GuiEnv::GuiEnv() : application_(std::make_unique<gui::Application>(gui::CreateWin32Backend())) {}

GuiEnv::~GuiEnv() = default;

void GuiEnv::Click(gui::Control& control) {
  const HWND window = WindowOf(control);
  if (IsButtonClass(window)) {
    // What a button does when pressed and released with the mouse or the space bar.
    ::SendMessageW(window, BM_CLICK, 0, 0);
  } else {
    RECT client;
    ::GetClientRect(window, &client);
    const LPARAM center = MAKELPARAM(client.right / 2, client.bottom / 2);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, center);
    ::SendMessageW(window, WM_LBUTTONUP, 0, center);
  }
  application_->ProcessMessages();
}

void GuiEnv::Type(gui::Edit& edit, const AnsiString& text) {
  const HWND window = WindowOf(edit);
  // Select everything, then type over it key by key; a line break is the Enter key.
  ::SendMessageW(window, EM_SETSEL, 0, -1);
  const std::wstring keys = platform::win32::Wide(text);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == L'\n' && i > 0 && keys[i - 1] == L'\r') continue;
    ::SendMessageW(window, WM_CHAR, keys[i], 1);
  }
  application_->ProcessMessages();
}

AnsiString GuiEnv::ShownText(gui::Control& control) {
  const HWND window = WindowOf(control);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return platform::win32::Narrow(text);
}

bool GuiEnv::ShownChecked(gui::Control& control) {
  return ::SendMessageW(WindowOf(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace contract
