#pragma once
// A folder another account made before the program came (PlantedFolders_win32.cpp: made with an
// access list that lets everyone change it, as a standard user could; PlantedFolders_sim.cpp:
// made on the simulated machine without the program's access list).
#include "platform/AnsiString.h"

namespace contract {

void PlantFolderEveryoneMayChange(const AnsiString& folder);

// Whether the system keeps the owner a program gives a folder it makes and reports it back.
// Windows and the simulated machine do; Wine does not: it reports the process's own user as the
// owner of every file, with an access list made from the host's file modes.
bool SystemKeepsFolderOwners(const AnsiString& scratch);

}  // namespace contract
