#pragma once
// The shell: its folder browser and ShellExecute.
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

namespace gui {
class Form;
}

namespace platform {

// The shell's folder browser (SHBrowseForFolder, with SHGetPathFromIDList and the shell's
// allocator freeing the item list): the title, no root (the whole namespace), file-system folders
// only, modal over all of the program's windows, initialFolder pre-selected when it exists. The
// system's critical-error boxes are suppressed while it is open. The chosen folder's path (no
// trailing backslash except a drive root like "D:\"), or nothing when the user cancels (or the
// choice has no file-system path). EEncodingError when code page 936 cannot hold the path.
// A null owner, or a form without a window: the browser has no owner window.
std::optional<AnsiString> BrowseForFolder(const gui::Form* owner, const AnsiString& title,
                                          const AnsiString& initialFolder);

// ShellExecute(owner, operation, file, parameters, directory, show); the system's result: above
// 32 on success, otherwise an error code (2: the file was not found). An empty operation,
// parameters or directory is passed as none (the default verb, no parameters, the current
// folder).
std::intptr_t ShellExecute(const gui::Form* owner, const AnsiString& operation,
                           const AnsiString& file, const AnsiString& parameters,
                           const AnsiString& directory, int showCommand);

// The folder for data every user's programs share (SHGetFolderPathW of CSIDL_COMMON_APPDATA,
// "C:\ProgramData" on current systems) in code page 936, without a trailing backslash. Empty
// when the system cannot name it. EEncodingError when code page 936 cannot hold the path.
AnsiString CommonAppDataFolder();

// How StartAsSignedInUser started a program.
enum class StartedThrough { DesktopShell, Directly };

// Starts file as ShellExecute does, but through the desktop shell's own process (its automation
// object for the desktop window, IShellDispatch2::ShellExecute), so the program runs as the
// signed-in user, not with this elevated process's rights. Where that path is not there (no
// desktop shell window, any error on the way), starts it directly with ShellExecute, so the
// program always starts. Which path was taken.
StartedThrough StartAsSignedInUser(const gui::Form* owner, const AnsiString& operation,
                                   const AnsiString& file, const AnsiString& parameters,
                                   const AnsiString& directory, int showCommand);

}  // namespace platform
