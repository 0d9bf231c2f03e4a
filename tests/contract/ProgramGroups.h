#pragma once
// Program Manager's groups as the DDE contract sees them from outside the conversation. The
// build links one implementation: ProgramGroups_sim.cpp (the simulated Program Manager's groups)
// or ProgramGroups_win32.cpp (the folders of the start menu's programs folder, CSIDL_PROGRAMS,
// which is where Wine's Program Manager makes groups, and the links in them).
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

namespace contract {

// The groups' names, sorted.
std::vector<AnsiString> ProgramGroups();
// The titles of a group's items (on Windows its links' names without ".lnk"), sorted; nothing
// when there is no such group.
std::optional<std::vector<AnsiString>> ProgramGroupItems(const AnsiString& group);

// Whether Program Manager carries out a command with this text. ASCII always. Text beyond ASCII
// goes as code page 936 bytes where that is the system's code page, and Wine's Program Manager
// reads them right; elsewhere it goes as UTF-16, which Wine's Program Manager takes for ANSI
// bytes when there is Chinese in it, and refuses. The simulated Program Manager takes any text.
bool ProgramManagerTakes(const AnsiString& command);

// Waits, at most 10 seconds, until Program Manager has shown what it was asked to show. Wine's
// Program Manager shows each group it makes or is asked to show in an explorer it starts, which
// comes up a little later; a group deleted before that explorer has its window makes the
// explorer fail, and Wine's desktop quit, Program Manager with it. The simulated Program
// Manager shows nothing.
void AwaitProgramManagerWindows();

// After a test, whatever it left: closes the windows Program Manager opened to show the group
// (once they are up) and removes the group.
void RemoveProgramGroup(const AnsiString& group);

}  // namespace contract
