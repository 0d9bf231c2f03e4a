// A run that ends before it completes leaves the machine as it found it: whatever ends it (a
// confirmed Cancel at a servicing point, an entry that cannot be written, the disk filling up, a
// folder that cannot be made, a registration step that fails), the files, folders, links,
// registry and program groups afterwards equal those before the run, with an earlier
// installation present and without one. The journal goes with the run.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "install/InstallFixture.h"
#include "install/RunJournal.h"
#include "platform/Files.h"
#include "support/DriveSnapshot.h"
#include "support/TestNames.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCancelQuestion = "安装程序进行中,确定要退出安装吗?";
constexpr const char* kCancelTitle = "退出安装";
constexpr const char* kFolder = "D:\\Program Files\\Korvl280\\";

// How the run is ended.
enum class Ending { Cancel, ErrorReport, FolderDialog, PlainMessageEndsTheSetup };

struct FailurePoint {
  std::string what;
  Ending ending;
  // Arranges the machine so that the run fails there (nothing for a Cancel).
  std::function<void(class RollbackTest&)> arrange;
  std::string expected;        // the error's text; for Cancel, the file whose arrival triggers it
  bool spaceQuestion = false;  // the payload does not fit: the user goes on anyway
};

class RollbackTest : public InstallFixture,
                     public ::testing::WithParamInterface<std::tuple<FailurePoint, bool>> {
 public:
  using InstallFixture::HostPath;
  static constexpr const char* kDesktop = InstallFixture::kDesktop;
  using InstallFixture::Machine;
  using InstallFixture::WriteFile;

 protected:
  // Both drives (the desktop and the start menu are on C:), the registry and Program
  // Manager's groups.
  struct MachineState {
    support::DriveSnapshot c;
    support::DriveSnapshot d;
    sim::RegistrySnapshot registry;
    std::vector<AnsiString> groups;
  };

  MachineState State() {
    support::DriveSnapshot c = support::SnapshotOfDrive('C');
    // The staging folder is the host window's, made before the run and removed as it closes.
    // The uninstaller's protected folder stays, as the journal's folder does; what the run puts
    // in it does not.
    for (auto entry = c.entries.begin(); entry != c.entries.end();) {
      const bool setupOwn = entry->first.rfind("WINDOWS/Temp", 0) == 0 ||
                            entry->first == "ProgramData/KorvelloSetup/Uninstall";
      entry = setupOwn ? c.entries.erase(entry) : ++entry;
    }
    return {c, support::SnapshotOfDrive('D'), Machine().Registry().Snapshot(),
            Machine().Dde().ProgramGroups()};
  }

  // What an earlier installation left: other bytes in every file, its registry values.
  void ArrangeEarlierInstallation() {
    for (const Entry& entry : SmallProduct())
      WriteFile(AnsiString(kFolder) + entry.path, "earlier " + entry.path);
    WriteFile(AnsiString(kFolder) + "UserFile\\Notes.orv", "the user's own document");
    Machine().Registry().SetValue(platform::RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial",
                                  "Serial", {sim::RegistryType::String, "02070000"});
    Machine().Registry().SetValue(
        platform::RootKey::CurrentUser,
        "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello", "DisplayVersion",
        {sim::RegistryType::String, "2.7"});
  }

  // The machine as the run finds it: taken as the installation starts, after the wizard's own
  // look at the registry.
  void ScriptEnding(const FailurePoint& point, MachineState& before) {
    User().Click("BtnNext").Click("BtnNext").Click("BtnNext");
    Check([&] { before = State(); }, "the machine before the run");
    if (point.spaceQuestion) {
      User().Click("BtnNext").ExpectMessageBox(
          sim::Owner::Ref(FormSchedule, "FormSchedule"), "磁盘空间不足",
          "目标磁盘的可用空间不足，安装可能无法完成。\r\r仍要继续安装吗?", 0x34, gui::idYes);
    } else {
      User().Click("BtnNext");
    }
    switch (point.ending) {
      case Ending::Cancel:
        // The file holds this run's bytes (over an earlier installation it was there before).
        User().WaitUntil(
            [&] {
              const AnsiString file = AnsiString(kFolder) + point.expected;
              return Progress() && Exists(file) && ReadFile(file).rfind("earlier ", 0) != 0;
            },
            "the run reaches " + point.expected);
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), kCancelTitle,
                                                kCancelQuestion, 0x1, gui::idOk);
        return;
      case Ending::ErrorReport:
        User().ExpectErrorReport(point.expected);
        break;
      case Ending::PlainMessageEndsTheSetup:
        User().ExpectPlainMessage(point.expected);
        return;
      case Ending::FolderDialog:
        User().ExpectMessageDialog(gui::DialogType::Error, point.expected, gui::dlg::kOk,
                                   gui::idOk);
        break;
    }
    User().WaitUntil([&] { return Progress() && !Progress()->RunActive(); }, "the run has stopped");
    Check([&] { EXPECT_FALSE(Progress()->Timer1->Enabled()) << "no success is reported"; });
    User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), kCancelTitle,
                                            kCancelQuestion, 0x1, gui::idOk);
  }
};

TEST_P(RollbackTest, LeavesTheMachineAsItWasBeforeTheRun) {
  const auto& [point, earlier] = GetParam();
  if (earlier) ArrangeEarlierInstallation();
  if (point.arrange) point.arrange(*this);
  // The journal's folder stays from one setup to the next.
  ASSERT_TRUE(platform::EnsureAdministratorsFolder(RunJournal::Folder()));
  MachineState before;
  RunWizard([&] { ScriptEnding(point, before); }, false);
  EXPECT_TRUE(App().Terminated());
  const MachineState after = State();
  EXPECT_EQ(support::DifferencesBetween(before.c, after.c), "");
  EXPECT_EQ(support::DifferencesBetween(before.d, after.d), "");
  EXPECT_TRUE(after.registry == before.registry) << "before:\n"
                                                 << before.registry.Text() << "after:\n"
                                                 << after.registry.Text();
  EXPECT_EQ(after.groups, before.groups);
  EXPECT_FALSE(Exists(RunJournal::FilePath())) << "the journal goes with the run";
}

void FailWrite(RollbackTest& test, const char* relative) {
  test.Machine().Files().FailWritesTo(AnsiString(kFolder) + relative);
}

std::string CannotCreate(const char* relative, const char* reason) {
  return std::string("Cannot create file \"") + kFolder + relative + "\". " + reason;
}

const FailurePoint kFailurePoints[] = {
    {"Cancel after the main executable", Ending::Cancel, nullptr, "KORV.exe"},
    {"Cancel after the text", Ending::Cancel, nullptr, "ReadMe.txt"},
    {"Cancel after the picture two folders down", Ending::Cancel, nullptr,
     "SdbFile\\Image\\Move1.BMP"},
    {"Cancel after the uninstaller", Ending::Cancel, nullptr, "Uninstall.exe"},
    {"the main executable cannot be written", Ending::PlainMessageEndsTheSetup,
     [](RollbackTest& test) { FailWrite(test, "KORV.exe"); },
     CannotCreate("KORV.exe", "Access is denied")},
    {"the text cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "ReadMe.txt"); },
     CannotCreate("ReadMe.txt", "Access is denied")},
    {"the picture cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "SdbFile\\Image\\Move1.BMP"); },
     CannotCreate("SdbFile\\Image\\Move1.BMP", "Access is denied")},
    {"the uninstaller cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "Uninstall.exe"); },
     CannotCreate("Uninstall.exe", "Access is denied")},
    {"the disk fills up in the picture", Ending::ErrorReport,
     [](RollbackTest& test) { test.Machine().Files().SetDriveSpace('D', 1u << 20, 2000); },
     CannotCreate("SdbFile\\Image\\Move1.BMP", "There is not enough space on the disk"), true},
    {"a folder cannot be made", Ending::FolderDialog,
     [](RollbackTest& test) {
       fs::remove_all(test.HostPath(AnsiString(kFolder) + "SdbFile"));
       test.WriteFile(AnsiString(kFolder) + "SdbFile", "a file where the folder would go");
     },
     "创建文件夹\\SdbFile\\Image 失败"},
    {"a folder of the install folder is a link to elsewhere", Ending::ErrorReport,
     [](RollbackTest& test) {
       fs::remove_all(test.HostPath(AnsiString(kFolder) + "SdbFile"));
       fs::create_directories(test.HostPath("D:\\Elsewhere"));
       fs::create_directories(test.HostPath(kFolder));
       fs::create_directory_symlink(test.HostPath("D:\\Elsewhere"),
                                    test.HostPath(AnsiString(kFolder) + "SdbFile"));
     },
     "Cannot create file \"D:\\Program Files\\Korvl280\\SdbFile\\Image\". A folder on the way is a "
     "link."},
    {"the uninstall entry cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) {
       test.Machine().Registry().SetWritesRefused(platform::RootKey::CurrentUser, true);
     },
     "Failed to set data for 'displayname'"},
    {"the desktop shortcut cannot be saved", Ending::ErrorReport,
     [](RollbackTest& test) { fs::remove_all(test.HostPath(RollbackTest::kDesktop)); },
     "Cannot create file \"C:\\Users\\Public\\Desktop\\Korvellov2.8.0(k).lnk\"."},
    {"the document type cannot be registered", Ending::ErrorReport,
     [](RollbackTest& test) {
       test.Machine().Registry().SetWritesRefused(platform::RootKey::ClassesRoot, true);
     },
     "Failed to set data for ''"},
};

INSTANTIATE_TEST_SUITE_P(Points, RollbackTest,
                         ::testing::Combine(::testing::ValuesIn(kFailurePoints), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<FailurePoint, bool>>& info) {
                           std::string name;
                           for (const char c : std::get<0>(info.param).what)
                             name += std::isalnum(c) ? c : '_';
                           return name + (std::get<1>(info.param) ? "_over_an_earlier_installation"
                                                                  : "_fresh");
                         });

}  // namespace
