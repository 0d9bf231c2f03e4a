#include "platform/Shell.h"

#include <string>

#include "platform/Files.h"
#include "platform/gui/Form.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/CriticalErrorBoxes.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"
#include "platform/win32/gui/TaskWindows.h"
#include "platform/win32/gui/WindowPeer.h"

#include <shellapi.h>
#include <shlobj.h>

// The character-set macro would rename the program's own ShellExecute.
#undef ShellExecute

namespace platform {
namespace {

// An item list the shell allocated, given back to the shell's allocator.
inline void FreeItemList(PIDLIST_ABSOLUTE list) noexcept { ::CoTaskMemFree(list); }
using UniqueItemList =
    win32::UniqueResource<win32::traits::Simple<PIDLIST_ABSOLUTE, nullptr, FreeItemList>>;

// The form's window, or none for no form or a form without a window.
HWND OwnerWindow(const gui::Form* owner) {
  const gui::win32::WindowPeer* peer = gui::win32::WindowPeer::Of(owner);
  return peer ? peer->Handle() : nullptr;
}

// Selects the folder given in data (a NUL-terminated UTF-16 path, alive until the browser has
// returned) once the browser is up. Asked again once the dialog serves its messages: a browser
// still settling its tree (Wine's, at times the first in a process) may drop the first request.
int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM /*parameter*/,
                                 LPARAM data) noexcept {
  if (message == BFFM_INITIALIZED) {
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    ::PostMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

// The folder as the browser can select it: without a final backslash, which it does not find a
// folder by (a drive root keeps its own).
AnsiString SelectablePath(AnsiString folder) {
  while (folder.size() > 3 && LastDelimiter(folder, "\\") == folder.size() - 1) folder.pop_back();
  return folder;
}

// A text for the system: none when empty.
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

std::optional<AnsiString> BrowseForFolder(const gui::Form* owner, const AnsiString& title,
                                          const AnsiString& initialFolder) {
  const std::wstring wideTitle = win32::Wide(title);
  const std::wstring initial = !initialFolder.empty() && DirectoryExists(initialFolder)
                                   ? win32::Wide(SelectablePath(initialFolder))
                                   : std::wstring();
  BROWSEINFOW info{};
  info.hwndOwner = OwnerWindow(owner);
  info.pidlRoot = nullptr;  // the whole namespace
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!initial.empty()) {
    info.lpfn = &SelectInitialFolder;
    info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  }

  UniqueItemList chosen;
  {
    // The shell may look at the drives from threads of its own while it fills the tree.
    const win32::CriticalErrorBoxesSuppressed quiet(
        win32::CriticalErrorBoxesSuppressed::Scope::Process);
    const gui::win32::TaskWindowsDisabled modal(nullptr);
    chosen.Reset(::SHBrowseForFolderW(&info));
  }
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH + 1] = {};
  // A choice without a file-system path cannot be installed into: taken as no choice.
  if (!::SHGetPathFromIDListW(chosen.Get(), path)) return std::nullopt;
  return win32::NarrowZ(path);
}

std::intptr_t ShellExecute(const gui::Form* owner, const AnsiString& operation,
                           const AnsiString& file, const AnsiString& parameters,
                           const AnsiString& directory, int showCommand) {
  const std::wstring wideOperation = win32::Wide(operation);
  const std::wstring wideFile = win32::Wide(file);
  const std::wstring wideParameters = win32::Wide(parameters);
  const std::wstring wideDirectory = win32::Wide(directory);
  const HINSTANCE result =
      ::ShellExecuteW(OwnerWindow(owner), OrNull(wideOperation), wideFile.c_str(),
                      OrNull(wideParameters), OrNull(wideDirectory), showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

AnsiString CommonAppDataFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  if (FAILED(
          ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return AnsiString();
  }
  AnsiString narrow = win32::NarrowZ(path);
  // A backslash that is a character of its own, never the trail byte of a Chinese one.
  while (!narrow.empty() && LastDelimiter(narrow, "\\") == narrow.size() - 1) narrow.pop_back();
  return narrow;
}

}  // namespace platform
