// Drives of the simulated machine: the mapped letters in the system's list, their configured
// sizes, and what each kind of drive answers, with and without a medium.
#include <string>

#include "platform/Drives.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/SimTest.h"
#include "support/TestNames.h"

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

TEST_F(DrivesTest, ADriveWhoseSpaceIsUnknownCannotBeQueriedButHoldsFiles) {
  MapDrives("D");
  Machine().Files().SetDriveSpaceUnknown('d');
  EXPECT_FALSE(platform::QueryDiskSpace("D:\\").has_value());
  EXPECT_TRUE(platform::QueryDiskSpace("C:\\").has_value());
  EXPECT_TRUE(platform::ForceDirectories("D:\\Korv"));
  EXPECT_TRUE(platform::DirectoryExists("D:\\Korv"));
  EXPECT_THROW(Machine().Files().SetDriveSpaceUnknown('Q'), std::logic_error);
}

// What the system answers on each kind of drive: every drive is listed; one without a medium, or
// not connected, cannot be queried and holds nothing; a disc has no free space and takes no
// writes.
struct DriveKindCase {
  const char* what;
  sim::DriveType type;
  bool medium;
  bool answers;            // the space query answers
  std::uint64_t free;      // the free bytes it answers (the drive is set to 1 GB of 4 GB free)
  bool holdsFiles;         // its folders and files are there
  const char* writeFails;  // why writing a file there fails; nullptr: it is written
  bool foldersMade;        // a new folder can be made there
};

void PrintTo(const DriveKindCase& c, std::ostream* out) { *out << c.what; }

class DriveKindTest : public DrivesTest, public ::testing::WithParamInterface<DriveKindCase> {};

TEST_P(DriveKindTest, TheDriveIsListedAndAnswersAsItsKindDoes) {
  const DriveKindCase& c = GetParam();
  MapDrives("E");
  ASSERT_TRUE(platform::ForceDirectories("E:\\Program Files"));
  Machine().Files().SetDriveSpace('E', 4ull << 30, 1ull << 30);
  Machine().Files().SetDriveType('E', c.type);
  if (!c.medium) Machine().Files().SetDriveMedium('E', false);

  EXPECT_EQ(platform::LogicalDriveStrings(9), std::string("C:\\\0E:\\\0\0", 9));
  const auto space = platform::QueryDiskSpace("E:\\");
  ASSERT_EQ(space.has_value(), c.answers);
  if (c.answers) {
    EXPECT_EQ(space->totalBytes, 4ull << 30);
    EXPECT_EQ(space->freeBytesAvailable, c.free);
  }
  EXPECT_EQ(platform::DirectoryExists("E:\\Program Files"), c.holdsFiles);
  std::string failure;
  try {
    platform::WriteWholeFile("E:\\Program Files\\a.txt", "a", 1);
  } catch (const EFCreateError& error) {
    failure = error.what();
  }
  EXPECT_EQ(platform::ForceDirectories("E:\\New\\Folder"), c.foldersMade);
  EXPECT_EQ(failure,
            c.writeFails
                ? std::string("Cannot create file \"E:\\Program Files\\a.txt\". ") + c.writeFails
                : "");
}

constexpr std::uint64_t kOneGB = 1ull << 30;

INSTANTIATE_TEST_SUITE_P(
    Kinds, DriveKindTest,
    ::testing::Values(
        DriveKindCase{"fixed", sim::DriveType::Fixed, true, true, kOneGB, true, nullptr, true},
        DriveKindCase{"removable with a medium", sim::DriveType::Removable, true, true, kOneGB,
                      true, nullptr, true},
        DriveKindCase{"removable without a medium", sim::DriveType::Removable, false, false, 0,
                      false, "The device is not ready", false},
        DriveKindCase{"disc drive with a disc", sim::DriveType::Optical, true, true, 0, true,
                      "Access is denied", false},
        DriveKindCase{"disc drive without a disc", sim::DriveType::Optical, false, false, 0, false,
                      "The device is not ready", false},
        DriveKindCase{"network", sim::DriveType::Network, true, true, kOneGB, true, nullptr, true},
        DriveKindCase{"network, not connected", sim::DriveType::Unavailable, true, false, 0, false,
                      "The system cannot find the path specified", false}),
    test_names::From(&DriveKindCase::what));

TEST_F(DrivesTest, AMediumPutBackBringsTheDrivesFilesBack) {
  MapDrives("E");
  ASSERT_TRUE(platform::ForceDirectories("E:\\Program Files"));
  Machine().Files().SetDriveType('E', sim::DriveType::Removable);
  Machine().Files().SetDriveMedium('E', false);
  EXPECT_FALSE(platform::ForceDirectories("E:\\Other"));
  Machine().Files().SetDriveMedium('E', true);
  EXPECT_TRUE(platform::QueryDiskSpace("E:\\").has_value());
  EXPECT_TRUE(platform::DirectoryExists("E:\\Program Files"));
  EXPECT_THROW(Machine().Files().SetDriveMedium('C', false), std::logic_error)
      << "a hard disk takes no medium";
}

TEST_F(DrivesTest, ARootThatIsNoDriveCannotBeQueried) {
  for (const char* root : {"", "C", "1:\\", "\\\\server\\share\\", "Q:\\"}) {
    EXPECT_FALSE(platform::QueryDiskSpace(root).has_value()) << root;
  }
}

}  // namespace
