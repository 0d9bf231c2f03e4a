#pragma once
// A saved shell link as the shell link contract reads it back, from outside the object that saved
// it. The build links one implementation: SavedLinks_sim.cpp (the simulated machine's record of
// saved links, for a file that is there) or SavedLinks_win32.cpp (a fresh ShellLink object of the
// system loading the file through IPersistFile::Load).
#include <optional>

#include "platform/AnsiString.h"

namespace contract {

struct LinkContents {
  AnsiString target;
  AnsiString workingFolder;
};

// What the link in file names; nothing when there is no link file to read. The calling thread
// is in a COM apartment.
std::optional<LinkContents> ReadSavedLink(const AnsiString& file);

}  // namespace contract
