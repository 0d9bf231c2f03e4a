// The uninstaller program on the simulated machine: the copy that removes (asked first, with
// Korvello running or not, silent or not) and the program the user starts, which hands the work
// to its private copy, or to the protected copy when started from the install folder.
#include <string>
#include <vector>

#include "install/InstallRecord.h"
#include "install/ProtectedUninstaller.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "support/SimTest.h"
#include "uninstall/UninstallProgram.h"

namespace {

constexpr const char* kFolder = "D:\\Korvl\\";
constexpr const char* kCaption = "Korvello2.8";
constexpr const char* kTitle = "Korvello2.8 卸载";
constexpr const char* kQuestion = "确实要从您的电脑中删除 Korvello2.8 及其所有组件吗？";
constexpr const char* kProductRunning =
    "Korvello正在运行中，只有结束其\r运行后，才能卸载。\r\r要结束正在运行的Korvello吗?";
constexpr unsigned kYesNoQuestion = 0x24;
constexpr unsigned kInformation = 0x40;

class UninstallProgramTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Machine().Files().MapDrive('D', Root() / "D");
    // An installation: two files, its record, and the protected copies.
    WriteFile(AnsiString(kFolder) + "KORV.exe", "MZ the program");
    WriteFile(AnsiString(kFolder) + "Setup.ini", std::string("[Form]\r\nCaption=") + kCaption);
    InstallRecord record;
    record.madeInstallFolder = true;
    for (const char* path : {"KORV.exe", "Setup.ini"}) {
      const auto stamp = platform::StampOf(AnsiString(kFolder) + path);
      ASSERT_TRUE(stamp.has_value());
      record.files.push_back({path, stamp->size, stamp->writeTime, "", false});
    }
    WriteInstallRecord(kFolder, record);
    ASSERT_TRUE(EnsureProtectedUninstallFolder());
    WriteFile(ProtectedUninstallerPath(), "MZ the uninstaller");
    KeepProtectedRecord(kFolder);
  }

  int RunCopy(const std::string& switches) {
    return RunUninstaller(
        App(), "Uninstall.exe " + switches + " \"/ORIGIN=" + ProtectedUninstallerPath() + "\"");
  }

  bool Installed() { return Exists(AnsiString(kFolder) + "KORV.exe"); }
};

struct RunningCase {
  std::string what;
  bool silent;
  int question;  // the answer to the question; 0: none asked
  bool running;
  int closeAnswer;  // the answer to the running-product question; 0: none asked
  int exitCode;
  bool removed;
};

class UninstallQuestionsTest : public UninstallProgramTest,
                               public ::testing::WithParamInterface<RunningCase> {};

TEST_P(UninstallQuestionsTest, RemovesOnlyWhenTheUserAgreesAndKorvelloIsEnded) {
  const RunningCase& c = GetParam();
  std::uint32_t product = 0;
  if (c.running) {
    product = Machine().Processes().AddProcess("KORV.exe");
    Machine().Processes().AddWindow("TKorv30", "Korvello", product);
  }
  if (c.question)
    User().ExpectMessageBox(sim::Owner::None(), kTitle, kQuestion, kYesNoQuestion, c.question);
  if (c.closeAnswer) {
    User().ExpectMessageBox(sim::Owner::None(), "运行提示", kProductRunning, kYesNoQuestion,
                            c.closeAnswer);
  }
  if (c.removed && !c.silent) {
    User().ExpectMessageBox(sim::Owner::None(), kTitle,
                            std::string(kCaption) + " 已从您的电脑中删除。", kInformation,
                            gui::idOk);
  }
  EXPECT_EQ(RunCopy(c.silent ? "/S" : ""), c.exitCode);
  EXPECT_EQ(Installed(), !c.removed);
  EXPECT_EQ(Exists(ProtectedRecordPath()), !c.removed) << "the protected record goes with it";
  if (c.running) {
    const auto process = Machine().Processes().Process(product);
    ASSERT_TRUE(process.has_value());
    EXPECT_EQ(process->running, c.closeAnswer != gui::idYes);
  }
}

const RunningCase kRunningCases[] = {
    {"asked and answered Yes", false, gui::idYes, false, 0, 0, true},
    {"asked and answered No", false, gui::idNo, false, 0, 6, false},
    {"Korvello running, the user ends it", false, gui::idYes, true, gui::idYes, 0, true},
    {"Korvello running, the user keeps it", false, gui::idYes, true, gui::idNo, 2, false},
    {"silent", true, 0, false, 0, 0, true},
    {"silent with Korvello running", true, 0, true, 0, 2, false},
};

INSTANTIATE_TEST_SUITE_P(Table, UninstallQuestionsTest, ::testing::ValuesIn(kRunningCases),
                         [](const ::testing::TestParamInfo<RunningCase>& info) {
                           std::string name;
                           for (const char ch : info.param.what)
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

TEST_F(UninstallProgramTest, ARecordNamingAFileOutsideIsRefusedAndNothingIsRemoved) {
  WriteFile("C:\\WINDOWS\\win.ini", "[windows]\r\n");
  std::string record = ReadFile(ProtectedRecordPath());
  record.insert(record.find("end\r\n"), "file\t..\\..\\WINDOWS\\win.ini\t11\t0\t-\tnew\r\n");
  WriteFile(ProtectedRecordPath(), record);
  EXPECT_EQ(RunCopy("/S"), 3);
  EXPECT_TRUE(Installed());
  EXPECT_TRUE(Exists("C:\\WINDOWS\\win.ini"));
}

TEST_F(UninstallProgramTest, NothingInstalledEndsWithItsOwnCode) {
  ASSERT_TRUE(ForgetProtectedInstallation());
  EXPECT_EQ(RunCopy("/S"), 3);
  EXPECT_TRUE(Installed());
}

TEST_F(UninstallProgramTest, TheProtectedCopyRunsAPrivateCopyAndReturnsItsExitCode) {
  Machine().Processes().SetOwnProgramPath(ProtectedUninstallerPath());
  Machine().Processes().SetStartedProgramsExitCode(4);
  EXPECT_EQ(RunUninstaller(App(), "Uninstall.exe /S \"/LOG=C:\\u.log\""), 4);
  const auto starts = Machine().Processes().ProgramStarts();
  ASSERT_EQ(starts.size(), 2u);
  const std::string origin = " \"/ORIGIN=" + std::string(ProtectedUninstallerPath()) + "\"";
  EXPECT_TRUE(starts[0].waited);
  EXPECT_EQ(starts[0].parameters, "/S \"/LOG=C:\\u.log\"" + origin);
  EXPECT_FALSE(starts[1].waited) << "the clearing copy waits for this program to end";
  EXPECT_EQ(starts[1].parameters, "/CLEANUP=1" + origin);
  EXPECT_EQ(starts[1].file, starts[0].file);
  EXPECT_EQ(ReadFile(starts[0].file), "MZ the uninstaller");
  const auto privateFolders = Machine().Files().PrivateFolders();
  ASSERT_EQ(privateFolders.size(), 1u);
  EXPECT_EQ(starts[0].file, privateFolders[0] + "\\Uninstall.exe");
  EXPECT_TRUE(Installed()) << "the copy removes, not this program";
}

TEST_F(UninstallProgramTest, TheInstallFolderCopyHandsOverToTheProtectedOne) {
  WriteFile(AnsiString(kFolder) + "Uninstall.exe", "MZ replaced by someone");
  Machine().Processes().SetOwnProgramPath(AnsiString(kFolder) + "Uninstall.exe");
  EXPECT_EQ(RunUninstaller(App(), "Uninstall.exe /S"), 0);
  const auto starts = Machine().Processes().ProgramStarts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].file, ProtectedUninstallerPath());
  EXPECT_EQ(starts[0].parameters, "/S");
}

TEST_F(UninstallProgramTest, AnUnknownSwitchIsAUsageError) {
  EXPECT_EQ(RunUninstaller(App(), "Uninstall.exe /S /X"), 1);
  EXPECT_TRUE(Machine().Processes().ProgramStarts().empty());
  EXPECT_TRUE(Installed());
}

}  // namespace
