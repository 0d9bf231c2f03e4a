#pragma once
// The shell's class and service identifiers the program uses, defined here: the system's import
// library of identifiers carries every identifier of the system in one piece, about 40 KB that
// each setup program would carry for these three.
#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

// CLSID_ShellLink: the shell link object.
inline constexpr GUID kShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// CLSID_ShellWindows: the shell's list of its windows.
inline constexpr GUID kShellWindowsClass = {
    0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
// SID_STopLevelBrowser: the service of a shell window's top-level browser.
inline constexpr GUID kTopLevelBrowserService = {
    0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

}  // namespace platform::win32
