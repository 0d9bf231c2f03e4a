// The drives contract: the list of drive roots as the system fills a caller's buffer, and the
// size and free space of a drive.
#include <optional>
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "platform/Drives.h"

namespace contract {
namespace {

using DrivesContract = ContractTest;

// The program's buffer: 26 roots of four bytes and the final empty string.
constexpr std::size_t kDriveBuffer = 105;

// The roots of a filled buffer, checking its form on the way: "X:\" NUL ... NUL, then zeros.
std::vector<AnsiString> RootsOf(const AnsiString& buffer) {
  std::vector<AnsiString> roots;
  std::size_t at = 0;
  while (at < buffer.size() && buffer[at] != '\0') {
    const std::size_t end = buffer.find('\0', at);
    EXPECT_NE(end, AnsiString::npos) << Readable(buffer);
    if (end == AnsiString::npos) break;
    roots.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  EXPECT_LT(at, buffer.size()) << "no final empty string in " << Readable(buffer);
  EXPECT_EQ(buffer.find_first_not_of('\0', at), AnsiString::npos)
      << "bytes after the list in " << Readable(buffer);
  return roots;
}

std::vector<AnsiString> Roots() { return RootsOf(platform::LogicalDriveStrings(kDriveBuffer)); }

TEST_F(DrivesContract, TheListHoldsDriveRootsInAlphabeticalOrderEndedByAnEmptyString) {
  const AnsiString buffer = platform::LogicalDriveStrings(kDriveBuffer);
  ASSERT_EQ(buffer.size(), kDriveBuffer);
  const std::vector<AnsiString> roots = RootsOf(buffer);
  ASSERT_FALSE(roots.empty());
  char previous = '\0';
  for (const AnsiString& root : roots) {
    ASSERT_EQ(root.size(), 3u) << Readable(root);
    EXPECT_TRUE(root[0] >= 'A' && root[0] <= 'Z') << Readable(root);
    EXPECT_EQ(root.substr(1), ":\\") << Readable(root);
    EXPECT_GT(root[0], previous) << "out of order: " << Readable(root);
    previous = root[0];
  }
  const AnsiString scratchRoot = Scratch().substr(0, 3);
  bool listed = false;
  for (const AnsiString& root : roots) listed = listed || root == scratchRoot;
  EXPECT_TRUE(listed) << "the drive of the scratch folder, " << Readable(scratchRoot);
}

TEST_F(DrivesContract, ABufferTooSmallForTheWholeListStaysEmpty) {
  const std::size_t needed = 4 * Roots().size() + 1;
  for (const std::size_t length : {std::size_t{0}, std::size_t{3}, needed - 1}) {
    EXPECT_EQ(platform::LogicalDriveStrings(length), AnsiString(length, '\0')) << length;
  }
  const AnsiString exact = platform::LogicalDriveStrings(needed);
  EXPECT_EQ(exact, platform::LogicalDriveStrings(kDriveBuffer).substr(0, needed))
      << "the list fits a buffer of its exact size";
}

TEST_F(DrivesContract, TheDriveOfTheScratchFolderHasSpaceAndAnyOfItsFoldersGivesTheSame) {
  const std::optional<platform::DiskSpace> space = platform::QueryDiskSpace(Scratch().substr(0, 3));
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->totalBytes, 0u);
  EXPECT_LE(space->freeBytesAvailable, space->totalBytes);

  const std::optional<platform::DiskSpace> ofFolder = platform::QueryDiskSpace(Scratch());
  ASSERT_TRUE(ofFolder.has_value());
  EXPECT_EQ(ofFolder->totalBytes, space->totalBytes);
}

TEST_F(DrivesContract, ADriveOrFolderThatIsNotThereCannotBeQueried) {
  char unmapped = '\0';
  const std::vector<AnsiString> roots = Roots();
  for (char letter = 'Z'; letter >= 'A' && !unmapped; --letter) {
    bool listed = false;
    for (const AnsiString& root : roots) listed = listed || root[0] == letter;
    if (!listed) unmapped = letter;
  }
  ASSERT_NE(unmapped, '\0') << "every letter has a drive";
  EXPECT_FALSE(platform::QueryDiskSpace(AnsiString(1, unmapped) + ":\\").has_value()) << unmapped;
  EXPECT_FALSE(platform::QueryDiskSpace(Scratch("missing\\")).has_value());
}

}  // namespace
}  // namespace contract
