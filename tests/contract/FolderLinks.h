#pragma once
// A folder link, as a standard user could make one where they may write
// (FolderLinks_win32.cpp: the system's directory symbolic link, or where the system cannot make
// one through its calls (Wine), the link the contract's runner made on the host and named in
// KORV_FOLDER_LINK and KORV_FOLDER_LINK_TARGET; FolderLinks_sim.cpp: a host symbolic link on
// the simulated machine).
#include <optional>

#include "platform/AnsiString.h"

namespace contract {

struct FolderLink {
  AnsiString link;    // leads to target
  AnsiString target;  // an existing folder
};

// A folder link for the contract below scratch (ending in a backslash), or the runner's; nothing
// when there is neither.
std::optional<FolderLink> AFolderLink(const AnsiString& scratch);

}  // namespace contract
