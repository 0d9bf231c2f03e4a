#pragma once
// A folder another account made before the program came (PlantedFolders_win32.cpp: made with an
// access list that lets everyone change it, as a standard user could; PlantedFolders_sim.cpp:
// made on the simulated machine without the program's access list).
#include "platform/AnsiString.h"

namespace contract {

void PlantFolderEveryoneMayChange(const AnsiString& folder);

}  // namespace contract
