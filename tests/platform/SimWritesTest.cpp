// What the simulated machine adds for tests of failing runs: drive space that writes use up, a
// write made to fail by name or by number, renames that stay on their drive, the folders only
// administrators may change, and snapshots of drives and of the registry to compare.
#include <functional>
#include <string>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/DriveSnapshot.h"
#include "support/SimTest.h"

namespace {

class SimWritesTest : public SimTest {
 protected:
  SimWritesTest() { Machine().Files().MapDrive('D', Root() / "disk-d"); }
  std::uint64_t FreeOnD() { return Machine().Files().DriveSpace('D')->second; }
};

// The message of the EFCreateError call throws; empty when it throws none.
std::string CreateErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EFCreateError& error) {
    return error.what();
  }
  return {};
}

TEST_F(SimWritesTest, WritesUseUpTheDrivesFreeSpaceAndDeletionsGiveItBack) {
  Machine().Files().SetDriveSpace('D', 1000, 100);
  const std::string sixty(60, 'a');
  platform::WriteWholeFile("D:\\a.bin", sixty.data(), sixty.size());
  EXPECT_EQ(FreeOnD(), 40u);
  platform::WriteWholeFile("D:\\a.bin", "x", 1);  // shrinks it
  EXPECT_EQ(FreeOnD(), 99u);
  platform::AppendToFile("D:\\a.bin", "yz", 2);
  EXPECT_EQ(FreeOnD(), 97u);
  platform::ReplaceFileAtomically("D:\\a.bin", sixty.data(), sixty.size());
  EXPECT_EQ(FreeOnD(), 40u);
  EXPECT_EQ(Machine().Files().DriveSpace('C')->second, sim::SimFileSystem::kDefaultDriveFreeBytes)
      << "another drive's space is its own";
  ASSERT_TRUE(platform::DeleteFile("D:\\a.bin"));
  EXPECT_EQ(FreeOnD(), 100u);
}

TEST_F(SimWritesTest, AWriteThatDoesNotFitKeepsWhatFittedAndReportsTheFullDisk) {
  struct Case {
    const char* what;
    std::function<void(const AnsiString&, const std::string&)> write;
    std::string before;  // "": no file there
    std::string after;   // what stands once the write failed
  };
  const auto whole = [](const AnsiString& path, const std::string& bytes) {
    platform::WriteWholeFile(path, bytes.data(), bytes.size());
  };
  const auto fresh = [](const AnsiString& path, const std::string& bytes) {
    platform::WriteNewFile(path, bytes.data(), bytes.size());
  };
  const auto append = [](const AnsiString& path, const std::string& bytes) {
    platform::AppendToFile(path, bytes.data(), bytes.size());
  };
  const auto replace = [](const AnsiString& path, const std::string& bytes) {
    platform::ReplaceFileAtomically(path, bytes.data(), bytes.size());
  };
  // The drive has 10 bytes free besides what the file held before; 16 bytes are written.
  const Case cases[] = {
      {"a new file", whole, "", "0123456789"},
      {"a new file that must be new", fresh, "", "0123456789"},
      {"a file rewritten: its old bytes are free again", whole, "old", "0123456789ABC"},
      {"appended to", append, "old", "old0123456789"},
      {"replaced in one step: the old file stays whole", replace, "old", "old"},
  };
  for (const Case& c : cases) {
    const AnsiString file = "D:\\data.sdb";
    platform::DeleteFile(file);
    if (!c.before.empty()) WriteFile(file, c.before);  // behind the machine's back: not counted
    Machine().Files().SetDriveSpace('D', 1000, 10);
    EXPECT_EQ(CreateErrorOf([&] { c.write(file, "0123456789ABCDEF"); }),
              "Cannot create file \"D:\\data.sdb\". There is not enough space on the disk")
        << c.what;
    EXPECT_EQ(ReadFile(file), c.after) << c.what;
    EXPECT_EQ(platform::StampOf(file)->size, c.after.size()) << c.what;
  }
  EXPECT_EQ(Machine().Files().DriveSpace('D')->second, 10u) << "the failed replacement took none";
  EXPECT_EQ(support::SnapshotOfDrive('D').entries.size(), 1u) << "no stray file";
}

TEST_F(SimWritesTest, AWriteFailsByItsFileOrByItsNumberBeforeAnythingIsOpened) {
  platform::WriteWholeFile("D:\\kept.txt", "kept", 4);
  const std::uint64_t madeBefore = Machine().Files().FileWritesMade();
  Machine().Files().FailWritesTo("d:\\KEPT.txt");
  Machine().Files().FailWriteNumber(3);
  struct Step {
    const char* what;
    AnsiString path;
    bool fails;
  };
  const Step steps[] = {
      {"the named file", "D:\\kept.txt", true},      // write 1
      {"another file", "D:\\one.txt", false},        // write 2
      {"the third write", "D:\\two.txt", true},      // write 3
      {"the fourth write", "D:\\three.txt", false},  // write 4
  };
  for (const Step& step : steps) {
    const std::string error = CreateErrorOf([&] { platform::AppendToFile(step.path, "x", 1); });
    EXPECT_EQ(error, step.fails ? "Cannot create file \"" + step.path + "\". Access is denied" : "")
        << step.what;
  }
  EXPECT_EQ(ReadFile("D:\\kept.txt"), "kept");
  EXPECT_FALSE(Exists("D:\\two.txt")) << "nothing is made by a refused write";
  EXPECT_EQ(Machine().Files().FileWritesMade(), madeBefore + 4);
  Machine().Files().ClearWriteFailures();
  platform::WriteWholeFile("D:\\kept.txt", "new", 3);
  EXPECT_EQ(ReadFile("D:\\kept.txt"), "new");
}

TEST_F(SimWritesTest, ARenameStaysOnItsDriveAndTakesTheFilesMarksAlong) {
  WriteFile("C:\\a.txt", "A");
  Machine().Files().SetFileAttributes("C:\\a.txt", sim::kHidden);
  AnsiString reason;
  EXPECT_FALSE(platform::RenameFile("C:\\a.txt", "D:\\a.txt", &reason));
  EXPECT_EQ(reason, "The system cannot move the file to a different disk drive");
  EXPECT_EQ(ReadFile("C:\\a.txt"), "A");
  ASSERT_TRUE(platform::RenameFile("C:\\a.txt", "C:\\b.txt"));
  EXPECT_EQ(Machine().Files().FileAttributes(HostPath("C:\\b.txt")), unsigned{sim::kHidden});
  Machine().Files().LockFile("C:\\b.txt");
  EXPECT_FALSE(platform::RenameFile("C:\\b.txt", "C:\\c.txt", &reason));
  EXPECT_EQ(reason,
            "The process cannot access the file because it is being used by another process");
}

TEST_F(SimWritesTest, OnlyFoldersMadeForAdministratorsAreTrustedAndOnlyWhileTheyStay) {
  const AnsiString folder = "C:\\ProgramData\\Korvello";
  ASSERT_TRUE(platform::EnsureAdministratorsFolder(folder));
  ASSERT_TRUE(platform::RemoveDirectory(folder));
  ASSERT_TRUE(platform::CreateDirectory(folder)) << "as a standard user could, in the meantime";
  AnsiString reason;
  EXPECT_FALSE(platform::EnsureAdministratorsFolder(folder, &reason));
  EXPECT_EQ(reason, "the folder's owner is not Administrators or SYSTEM");
  const auto made = platform::CreatePrivateFolder("C:\\ProgramData");
  ASSERT_TRUE(made);
  EXPECT_TRUE(platform::EnsureAdministratorsFolder(*made)) << "made with the same access list";
  Machine().Files().SetPrivateFoldersRefused(true);
  EXPECT_FALSE(platform::EnsureAdministratorsFolder("C:\\ProgramData\\Other", &reason));
  EXPECT_EQ(reason, "Access is denied") << "not elevated: the owner cannot be set";
}

TEST_F(SimWritesTest, ADriveSnapshotSeesEveryFolderFileByteAndMark) {
  platform::ForceDirectories("D:\\Korvello\\UserFile");
  WriteFile("D:\\Korvello\\a.txt", "A");
  const support::DriveSnapshot before = support::SnapshotOfDrive('D');
  EXPECT_EQ(support::DifferencesBetween(before, support::SnapshotOfDrive('D')), "");
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"changed: Korvello/a.txt\n", [this] { WriteFile("D:\\Korvello\\a.txt", "B"); }},
      {"changed: Korvello/a.txt\n",
       [this] { Machine().Files().SetFileAttributes("D:\\Korvello\\a.txt", sim::kReadOnly); }},
      {"removed: Korvello/UserFile\n", [] { platform::RemoveDirectory("D:\\Korvello\\UserFile"); }},
      {"added: Korvello/b.txt\n", [this] { WriteFile("D:\\Korvello\\b.txt", ""); }},
  };
  for (const auto& [difference, change] : changes) {
    const support::DriveSnapshot then = support::SnapshotOfDrive('D');
    change();
    EXPECT_EQ(support::DifferencesBetween(then, support::SnapshotOfDrive('D')), difference);
  }
}

TEST_F(SimWritesTest, AFileTheUserChangesGetsALaterWriteTimeEvenWithinOneClockTick) {
  platform::WriteWholeFile("D:\\doc.txt", "abc", 3);
  const auto written = platform::StampOf("D:\\doc.txt");
  support::ChangeFileAsTheUser("D:\\doc.txt", "xyz");
  const auto changed = platform::StampOf("D:\\doc.txt");
  ASSERT_TRUE(written && changed);
  EXPECT_EQ(changed->size, 3u);
  EXPECT_GT(changed->writeTime, written->writeTime);
  platform::WriteWholeFile("D:\\doc.txt", "abc", 3);
  EXPECT_GT(platform::StampOf("D:\\doc.txt")->writeTime, changed->writeTime);
}

TEST_F(SimWritesTest, ARegistrySnapshotComparesEveryKeyAndValueOfBothHives) {
  platform::Registry registry;
  const sim::RegistrySnapshot empty = Machine().Registry().Snapshot();
  ASSERT_TRUE(registry.OpenKey("Software\\KORVL\\Shell", true));
  const sim::RegistrySnapshot withKeys = Machine().Registry().Snapshot();
  EXPECT_NE(withKeys, empty) << "an empty key counts";
  registry.WriteString("Path", "D:\\Korvello\\");
  const sim::RegistrySnapshot withValue = Machine().Registry().Snapshot();
  EXPECT_NE(withValue, withKeys);
  const auto old = registry.ReadRaw("Path");
  registry.WriteString("Path", "E:\\");
  EXPECT_NE(Machine().Registry().Snapshot(), withValue);
  registry.WriteRaw("Path", *old);
  EXPECT_EQ(Machine().Registry().Snapshot(), withValue) << Machine().Registry().Snapshot().Text();
  EXPECT_TRUE(registry.DeleteValue("Path"));
  registry.CloseKey();
  for (const char* key : {"Software\\KORVL\\Shell", "Software\\KORVL", "Software"}) {
    EXPECT_TRUE(registry.DeleteKeyIfEmpty(key)) << key;
  }
  EXPECT_EQ(Machine().Registry().Snapshot(), empty) << Machine().Registry().Snapshot().Text();
  registry.SetRootKey(platform::RootKey::ClassesRoot);
  ASSERT_TRUE(registry.OpenKey(".orv", true));
  registry.WriteString("", "K");
  EXPECT_EQ(Machine().Registry().Snapshot().Text(), "[HKCR\\.orv]\n  @ REG_SZ 4B\n");
}

}  // namespace
