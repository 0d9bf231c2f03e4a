#pragma once
// The texts the registration steps make from the installation's values.
#include <initializer_list>
#include <vector>

#include "platform/AnsiString.h"

// The version the list of installed programs shows, read from the version serial in two-digit
// components with each leading zero dropped: "02080308" gives "2.8.3.8", "7" gives "7", "" gives
// "".
AnsiString DisplayVersionOf(const AnsiString& serial);

// A Program Manager command: "[verb(" + each argument in double quotes, separated by commas +
// ")]". A double quote inside an argument is left out, so no text can end its argument early or
// add a command of its own. Empty when the command would not fit Program Manager's 256 bytes.
AnsiString ProgramManagerCommand(const char* verb, std::initializer_list<AnsiString> arguments);

// The folder part of a path with its trailing backslash ("D:\Korvl\KORV.exe" gives "D:\Korvl\");
// empty when it has none.
AnsiString FolderOf(const AnsiString& path);

// The uninstall entry's key below HKEY_CURRENT_USER, and the names of the values the setup
// writes there.
extern const char* const kUninstallEntryKey;
std::vector<AnsiString> UninstallEntryValueNames();
