#include <cctype>

#include "platform/Drives.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace platform {

AnsiString LogicalDriveStrings(std::size_t bufferLength) {
  AnsiString roots;
  for (const char letter : sim::SimMachine::Current().Files().DriveLetters()) {
    roots += letter;
    roots += ":\\";
    roots += '\0';
  }
  // The list ends with an empty string; it must fit whole, or nothing is written.
  AnsiString buffer(bufferLength, '\0');
  if (roots.size() + 1 <= bufferLength) buffer.replace(0, roots.size(), roots);
  return buffer;
}

std::optional<DiskSpace> QueryDiskSpace(const AnsiString& root) {
  if (root.size() < 2 || root[1] != ':' || !std::isalpha(static_cast<unsigned char>(root[0]))) {
    return std::nullopt;
  }
  sim::SimMachine& machine = sim::SimMachine::Current();
  const auto space = machine.Files().DriveSpace(root[0]);
  if (!space) return std::nullopt;
  // The system asks the folder named for its volume: it must be there.
  std::error_code error;
  if (!fs::is_directory(machine.Files().HostPath(root), error)) return std::nullopt;
  DiskSpace result;
  result.totalBytes = space->first;
  result.freeBytesAvailable = space->second;
  return result;
}

}  // namespace platform
