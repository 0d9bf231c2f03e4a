// Drives of the simulated machine: the mapped letters in the system's list, their configured
// sizes, and a drive without a medium.
#include <string>

#include "platform/Drives.h"
#include "platform/Files.h"
#include "support/SimTest.h"

namespace {

class DrivesTest : public SimTest {
 protected:
  void MapDrives(const std::string& letters) {
    for (const char letter : letters) {
      Machine().Files().MapDrive(letter, Root() / (std::string("disk-") + letter));
    }
  }
};

TEST_F(DrivesTest, TheListFollowsTheMappedLettersAlphabeticallyWithGaps) {
  MapDrives("ZeA");
  const std::string expected("A:\\\0C:\\\0E:\\\0Z:\\\0\0", 17);
  EXPECT_EQ(platform::LogicalDriveStrings(105), expected + std::string(105 - 17, '\0'));
  EXPECT_EQ(platform::LogicalDriveStrings(17), expected) << "a buffer of the exact size";
  EXPECT_EQ(platform::LogicalDriveStrings(16), std::string(16, '\0'));

  Machine().Files().UnmapDrive('C');
  EXPECT_EQ(platform::LogicalDriveStrings(14), std::string("A:\\\0E:\\\0Z:\\\0\0\0", 14));
}

TEST_F(DrivesTest, EveryDriveHasTheDefaultOrItsConfiguredSpace) {
  MapDrives("D");
  Machine().Files().SetDriveSpace('d', 2'000'000'000, 1'234'567);
  const auto c = platform::QueryDiskSpace("C:\\");
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->totalBytes, 100ull * 1024 * 1024 * 1024);
  EXPECT_EQ(c->freeBytesAvailable, 50ull * 1024 * 1024 * 1024);
  const auto d = platform::QueryDiskSpace("d:\\");
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->totalBytes, 2'000'000'000u);
  EXPECT_EQ(d->freeBytesAvailable, 1'234'567u);

  Machine().Files().MapDrive('D', Root() / "other-disk");
  EXPECT_EQ(platform::QueryDiskSpace("D:\\")->totalBytes,
            sim::SimFileSystem::kDefaultDriveTotalBytes)
      << "mapped afresh";
  EXPECT_THROW(Machine().Files().SetDriveSpace('Q', 1, 1), std::logic_error);
  EXPECT_THROW(Machine().Files().SetDriveMedium('Q', false), std::logic_error);
}

TEST_F(DrivesTest, ADriveWithoutAMediumIsListedButHoldsNothingAndCannotBeQueried) {
  MapDrives("E");
  platform::ForceDirectories("E:\\Program Files");
  Machine().Files().SetDriveMedium('E', false);
  EXPECT_EQ(platform::LogicalDriveStrings(9), std::string("C:\\\0E:\\\0\0", 9));
  EXPECT_FALSE(platform::QueryDiskSpace("E:\\").has_value());
  EXPECT_FALSE(platform::DirectoryExists("E:\\Program Files"));
  EXPECT_FALSE(platform::ForceDirectories("E:\\Other"));

  Machine().Files().SetDriveMedium('E', true);
  EXPECT_TRUE(platform::QueryDiskSpace("E:\\").has_value());
  EXPECT_TRUE(platform::DirectoryExists("E:\\Program Files"));
}

TEST_F(DrivesTest, ARootThatIsNoDriveCannotBeQueried) {
  for (const char* root : {"", "C", "1:\\", "\\\\server\\share\\", "Q:\\"}) {
    EXPECT_FALSE(platform::QueryDiskSpace(root).has_value()) << root;
  }
}

}  // namespace
