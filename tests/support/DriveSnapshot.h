#pragma once
// Snapshots of a simulated drive's folders and files, for tests that check a run leaves a drive
// exactly as it found it:
//
//   const support::DriveSnapshot before = support::SnapshotOfDrive('D');
//   ... a run that fails and rolls back ...
//   EXPECT_EQ(support::DifferencesBetween(before, support::SnapshotOfDrive('D')), "");
#include <map>
#include <string>

#include "platform/AnsiString.h"

namespace support {

// A folder, or a file with its bytes and its marks (sim::FileAttribute bits).
struct DriveEntry {
  bool folder = false;
  std::string bytes;
  unsigned marks = 0;
  bool operator==(const DriveEntry& other) const {
    return folder == other.folder && bytes == other.bytes && marks == other.marks;
  }
  bool operator!=(const DriveEntry& other) const { return !(*this == other); }
};

// Every folder and file below a drive's root, by its path below the root as the host names it
// (UTF-8, '/' between names), without the drive's root itself.
struct DriveSnapshot {
  std::map<std::string, DriveEntry> entries;
  bool operator==(const DriveSnapshot& other) const { return entries == other.entries; }
  bool operator!=(const DriveSnapshot& other) const { return !(*this == other); }
};

// The drive of the current SimMachine as it is now; std::logic_error when it is not mapped.
DriveSnapshot SnapshotOfDrive(char letter);

// What differs, one line each ("added: x", "removed: x", "changed: x"); "" when nothing does.
std::string DifferencesBetween(const DriveSnapshot& before, const DriveSnapshot& after);

// Writes a file through the host, as the user or another program would (folders made as
// needed), and makes sure the write time StampOf reports changes, as it would on a real disk,
// even when the host's clock has not moved on since the last write.
void ChangeFileAsTheUser(const AnsiString& windowsPath, const std::string& bytes);

}  // namespace support
