#pragma once
// Whether the payload fits the install drive: asked before the run starts, so that a user can
// choose another folder instead of a run that fills the disk.
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

struct SpaceShortfall {
  AnsiString root;           // the install drive's root, "D:\"
  std::uint64_t needed = 0;  // the bytes the installation writes
  std::uint64_t free = 0;    // the bytes free to the user there
};

// The shortfall when the setup carries its payload sums, the free space of the folder's drive
// is known and smaller than the payload's total; nothing otherwise (enough space, or no way to
// tell).
std::optional<SpaceShortfall> PayloadSpaceShortfall(const AnsiString& installFolder);

// The shortfall in words for the log.
AnsiString DescribeShortfall(const SpaceShortfall& shortfall);
