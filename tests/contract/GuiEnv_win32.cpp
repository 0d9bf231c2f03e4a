// The contract's GUI in the Windows build: the real back end, and a user who sends the
// controls' windows what the system sends them for a person's clicks and keys.
#include <stdexcept>
#include <string>

#include "contract/GuiEnv.h"
#include "contract/Win32Support.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/gui/Win32Backend.h"
#include "platform/win32/gui/WindowPeer.h"

namespace contract {

namespace {

bool HasWindow(const gui::Control& control) {
  const gui::win32::WindowPeer* peer = gui::win32::WindowPeer::Of(&control);
  return peer && peer->Handle();
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
  // A control without a window (on a page never shown) is nowhere on screen to be clicked.
  if (!HasWindow(control)) return;
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

HWND WindowOf(gui::Control& control) {
  const gui::win32::WindowPeer* peer = gui::win32::WindowPeer::Of(&control);
  if (!peer || !peer->Handle()) throw std::runtime_error("the control has no window");
  return peer->Handle();
}

}  // namespace contract

// ---- Whether a control shows: its window and every window it lies in are visible.
namespace contract {

bool ShownVisible(gui::Control& control) {
  return HasWindow(control) && ::IsWindowVisible(WindowOf(control)) != FALSE;
}

}  // namespace contract

// ---- String grids: the list view of the grid's peer. A user's click on a row makes the list
// view select and focus the item (LVM_SETITEMSTATE sends the same LVN_ITEMCHANGED); a double-click
// is WM_LBUTTONDBLCLK at the row, from which the list view makes its NM_DBLCLK (the first click
// of the pair is left out, so the double-click alone must select its row). The screen is read
// back with the messages another program would use.
#include <algorithm>

#include <commctrl.h>

namespace contract {

namespace {

int ItemCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

RECT ItemRect(HWND list, int item) {
  RECT rect = {};
  rect.left = LVIR_BOUNDS;
  if (!::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                      reinterpret_cast<LPARAM>(&rect))) {
    throw std::runtime_error("the list view has no rectangle for item " + std::to_string(item));
  }
  return rect;
}

// The middle of the row on screen; a row past the last one lies below it, where rows would be.
POINT RowCenter(HWND list, int row) {
  const int last = ItemCount(list) - 1;
  const RECT rect = ItemRect(list, std::min(row, last));
  const int below = std::max(row - last, 0) * (rect.bottom - rect.top);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 + below};
}

}  // namespace

void GuiEnv::SelectRow(gui::StringGrid& grid, int row) {
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(WindowOf(grid), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
  application_->ProcessMessages();
}

void GuiEnv::DoubleClickRow(gui::StringGrid& grid, int row) {
  const HWND list = WindowOf(grid);
  const POINT at = RowCenter(list, row);
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  application_->ProcessMessages();
}

AnsiString GuiEnv::ShownCell(gui::StringGrid& grid, int col, int row) {
  wchar_t text[256] = {};
  LVITEMW item = {};
  item.iSubItem = col;
  item.pszText = text;
  item.cchTextMax = 256;
  const auto length = ::SendMessageW(WindowOf(grid), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(&item));
  return platform::win32::Narrow(std::wstring_view(text, static_cast<std::size_t>(length)));
}

int GuiEnv::ShownRowCount(gui::StringGrid& grid) { return ItemCount(WindowOf(grid)); }

int GuiEnv::ShownColCount(gui::StringGrid& grid) {
  // The columns are the items of the list view's (hidden) header control.
  const auto header = reinterpret_cast<HWND>(::SendMessageW(WindowOf(grid), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int GuiEnv::ShownRow(gui::StringGrid& grid) {
  return static_cast<int>(
      ::SendMessageW(WindowOf(grid), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int GuiEnv::ShownRowHeight(gui::StringGrid& grid) {
  const RECT rect = ItemRect(WindowOf(grid), 0);
  return rect.bottom - rect.top;
}

}  // namespace contract
