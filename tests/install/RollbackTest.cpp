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
#include "support/TestNames.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCancelQuestion = "安装程序进行中,确定要退出安装吗?";
constexpr const char* kCancelTitle = "退出安装";
constexpr const char* kFolder = "D:\\Program Files\\Korvl280\\";

// Every file and folder below a host folder, with the bytes of each file.
std::map<std::string, std::string> TreeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(item.path(), root).generic_string();
    if (item.is_directory()) {
      tree[name + "/"] = "";
    } else {
      std::ifstream in(item.path(), std::ios::binary);
      tree[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  return tree;
}

// How the run is ended.
enum class Ending { Cancel, ErrorReport, FolderDialog };

struct FailurePoint {
  std::string what;
  Ending ending;
  // Arranges the machine so that the run fails there (nothing for a Cancel).
  std::function<void(class RollbackTest&)> arrange;
  std::string expected;  // the error's text; for Cancel, the file whose arrival triggers it
};

class RollbackTest : public InstallFixture,
                     public ::testing::WithParamInterface<std::tuple<FailurePoint, bool>> {
 public:
  using InstallFixture::HostPath;
  using InstallFixture::Machine;
  using InstallFixture::WriteFile;

 protected:
  struct MachineState {
    std::map<std::string, std::string> files;
    sim::SimRegistry::Contents registry;
    std::vector<AnsiString> groups;
    bool operator==(const MachineState& other) const {
      return files == other.files && registry == other.registry && groups == other.groups;
    }
  };

  MachineState State() {
    MachineState state;
    for (const char* place : {"D:\\", kDesktop, "C:\\ProgramData\\Microsoft"}) {
      for (const auto& [name, bytes] : TreeOf(HostPath(place)))
        state.files[std::string(place) + "|" + name] = bytes;
    }
    state.registry = Machine().Registry().Snapshot();
    state.groups = Machine().Dde().ProgramGroups();
    return state;
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

  void ScriptEnding(const FailurePoint& point) {
    ScriptStartInstallation();
    switch (point.ending) {
      case Ending::Cancel:
        User().WaitUntil([&] { return Exists(AnsiString(kFolder) + point.expected); },
                         "the run reaches " + point.expected);
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), kCancelTitle,
                                                kCancelQuestion, 0x1, gui::idOk);
        return;
      case Ending::ErrorReport:
        User().ExpectErrorReport(point.expected);
        break;
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
  const MachineState before = State();
  RunWizard([&] { ScriptEnding(point); }, false);
  EXPECT_TRUE(App().Terminated());
  const MachineState after = State();
  EXPECT_TRUE(after.files == before.files) << "files differ";
  EXPECT_TRUE(after.registry == before.registry) << "registry differs";
  EXPECT_EQ(after.groups, before.groups);
  EXPECT_FALSE(Exists(RunJournal::FilePath())) << "the journal goes with the run";
}

void FailWrite(RollbackTest& test, const char* relative) {
  test.Machine().Files().FailWritesTo(AnsiString(kFolder) + relative);
}

const FailurePoint kFailurePoints[] = {
    {"Cancel after the main executable", Ending::Cancel, nullptr, "KORV.exe"},
    {"Cancel after the text", Ending::Cancel, nullptr, "ReadMe.txt"},
    {"Cancel after the picture two folders down", Ending::Cancel, nullptr,
     "SdbFile\\Image\\Move1.BMP"},
    {"Cancel after the uninstaller", Ending::Cancel, nullptr, "Uninstall.exe"},
    {"the main executable cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "KORV.exe"); }, ""},
    {"the text cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "ReadMe.txt"); }, ""},
    {"the picture cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "SdbFile\\Image\\Move1.BMP"); }, ""},
    {"the uninstaller cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) { FailWrite(test, "Uninstall.exe"); }, ""},
    {"the disk fills up in the picture", Ending::ErrorReport,
     [](RollbackTest& test) { test.Machine().Files().SetDriveSpace('D', 1u << 20, 1000); }, ""},
    {"a folder cannot be made", Ending::FolderDialog,
     [](RollbackTest& test) { test.WriteFile(AnsiString(kFolder) + "SdbFile\\Image", "a file"); },
     "创建文件夹\\SdbFile\\Image 失败"},
    {"the uninstall entry cannot be written", Ending::ErrorReport,
     [](RollbackTest& test) {
       test.Machine().Registry().SetWritesRefused(platform::RootKey::CurrentUser, true);
     },
     ""},
    {"the desktop shortcut cannot be saved", Ending::ErrorReport,
     [](RollbackTest& test) { fs::remove_all(test.HostPath(InstallFixture::kDesktop)); }, ""},
    {"the document type cannot be registered", Ending::ErrorReport,
     [](RollbackTest& test) {
       test.Machine().Registry().SetWritesRefused(platform::RootKey::ClassesRoot, true);
     },
     ""},
};

INSTANTIATE_TEST_SUITE_P(
    Points, RollbackTest,
    ::testing::Combine(::testing::ValuesIn(kFailurePoints), ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<FailurePoint, bool>>& info) {
      std::string name;
      for (const char c : std::get<0>(info.param).what) name += std::isalnum(c) ? c : '_';
      return name + (std::get<1>(info.param) ? "_over_an_earlier_installation" : "_fresh");
    });

}  // namespace
