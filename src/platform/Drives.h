#pragma once
// The machine's drives: the roots the system lists and the space on each.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

namespace platform {

// GetLogicalDriveStrings into a buffer of bufferLength characters: the buffer as the call left
// it, bufferLength bytes (drive roots are ASCII: "C:\" NUL "D:\" NUL ... NUL NUL, the rest zeros),
// the roots in alphabetical order. A call that fails or needs more room leaves it all zeros.
AnsiString LogicalDriveStrings(std::size_t bufferLength);

struct DiskSpace {
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytesAvailable = 0;  // free to the calling user
};

// GetDiskFreeSpaceEx on a root such as "C:\" (or any existing folder of the drive); nothing when
// the drive cannot be queried: no such drive, no medium in it, or no such folder on it.
std::optional<DiskSpace> QueryDiskSpace(const AnsiString& root);

}  // namespace platform
