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

// Closes the windows Program Manager opened to show groups and waits until the programs that
// showed them have ended, at most 30 seconds; false when they did not. Wine's Program Manager
// shows each group it makes or is asked to show in an explorer of its own, which comes up a
// little later, lists the group's folder and reads its links: a group deleted meanwhile can be
// refused (or, before that explorer has its window, make it fail, and Wine's desktop quit,
// Program Manager with it). The simulated Program Manager shows nothing.
bool CloseProgramManagerWindows();

// After a test, whatever it left: closes the windows Program Manager opened and removes the
// group.
void RemoveProgramGroup(const AnsiString& group);

}  // namespace contract
