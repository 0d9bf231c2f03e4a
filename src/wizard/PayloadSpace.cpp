#include "wizard/PayloadSpace.h"

#include "platform/Drives.h"
#include "setupdata/PayloadSums.h"

namespace {

// "D:\" for a folder on a drive letter; nothing for any other folder (a network path, a
// relative folder), whose free space the setup does not ask.
std::optional<AnsiString> DriveRoot(const AnsiString& folder) {
  const bool letter = !folder.empty() && ((folder[0] >= 'A' && folder[0] <= 'Z') ||
                                          (folder[0] >= 'a' && folder[0] <= 'z'));
  if (!letter || folder.size() < 3 || folder[1] != ':' || folder[2] != '\\') return std::nullopt;
  return folder.substr(0, 3);
}

}  // namespace

std::optional<SpaceShortfall> PayloadSpaceShortfall(const AnsiString& installFolder) {
  const std::optional<AnsiString> root = DriveRoot(installFolder);
  if (!root) return std::nullopt;
  const std::optional<PayloadSums> sums = PayloadSums::Load();
  if (!sums) return std::nullopt;
  const std::optional<platform::DiskSpace> space = platform::QueryDiskSpace(*root);
  if (!space || space->freeBytesAvailable >= sums->TotalBytes()) return std::nullopt;
  return SpaceShortfall{*root, sums->TotalBytes(), space->freeBytesAvailable};
}

AnsiString DescribeShortfall(const SpaceShortfall& shortfall) {
  return Format("not enough space on %s: the installation writes %llu bytes, %llu bytes are free",
                shortfall.root.c_str(), static_cast<unsigned long long>(shortfall.needed),
                static_cast<unsigned long long>(shortfall.free));
}
