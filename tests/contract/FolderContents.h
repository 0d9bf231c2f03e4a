#pragma once
// The names a folder holds, read the way another program would (FolderContents_win32.cpp: the
// system's folder listing; FolderContents_sim.cpp: the simulated machine's host folder), so the
// contract can see what a call left behind besides what it was asked to write.
#include <vector>

#include "platform/AnsiString.h"

namespace contract {

// The names of the files and folders in folder (without "." and ".."), sorted; none when it
// cannot be listed.
std::vector<AnsiString> NamesIn(const AnsiString& folder);

}  // namespace contract
