// The installation run in the progress window: extraction below the install folder, the
// folder steps, the failures and their messages, Cancel at a servicing point, and the way back
// to the wizard's finish page.
#include "install/InstallFixture.h"
#include "platform/Files.h"
#include "platform/gui/Button.h"
#include "platform/gui/Timer.h"
#include "support/TestNames.h"

namespace {

constexpr const char* kCancelQuestion = "安装程序进行中,确定要退出安装吗?";
constexpr const char* kCancelTitle = "退出安装";
constexpr const char* kMainExecutableRunning = "所要安装的程序正在运行中,请退出后再安装!";
constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";

class InstallationRunTest : public InstallFixture {
 protected:
  // Confirms Cancel in the progress window: the setup ends.
  void ScriptConfirmedCancel() {
    User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), kCancelTitle,
                                            kCancelQuestion, 0x1, gui::idOk);
  }
  // After a run that stopped early: the window waits with its Cancel button; the user leaves.
  void ScriptLeaveStoppedRun(const std::function<void()>& check) {
    User().WaitUntil([&] { return Progress() && !Progress()->RunActive(); }, "the run has stopped");
    Check(check, "the stopped run");
    ScriptConfirmedCancel();
  }
  bool Registered() {
    return Machine().Registry().KeyExists(platform::RootKey::CurrentUser, kUninstallKey);
  }
};

TEST_F(InstallationRunTest, AWholeRunInstallsEveryFileAndBringsTheWizardBackOnItsFinishPage) {
  const int label5Left = 16;
  RunWholeInstallation([&] {
    Check([&] {
      EXPECT_TRUE(Wizard().InstallStarted);
      EXPECT_EQ(Utf8(Wizard().BtnNext->Caption()), Utf8("完毕"));
      EXPECT_FALSE(Wizard().Label4->Visible());
      EXPECT_EQ(Wizard().Label5->Left(), label5Left + 16);
      EXPECT_EQ(Utf8(Wizard().Label5->Caption()),
                Utf8(kCaption) + Utf8(" 已经成功安装在您的电脑中"));
      EXPECT_EQ(Utf8(Wizard().Label8->Caption()), Utf8(kCaption) + Utf8(" 安装完毕."));
      EXPECT_FALSE(Wizard().btnpri->Enabled());
      EXPECT_FALSE(Wizard().btnexit->Enabled());
      TFormsec& progress = *Progress();
      EXPECT_TRUE(progress.RunComplete);
      EXPECT_FALSE(progress.Timer1->Enabled()) << "the completion timer ticks once";
      EXPECT_EQ(progress.pgbs->Position(), 100);
      EXPECT_EQ(progress.lbls->Caption(), "");
      EXPECT_FALSE(progress.lbls->Visible());
      EXPECT_TRUE(progress.Visible()) << "covered by the wizard, not closed";
      EXPECT_FALSE(progress.pnlok->Visible());
      // A pause after every manifest entry and at the positions 5, 87, 90, 95 and 100, so the
      // user can follow the bar.
      EXPECT_EQ(Machine().Clock().SleptMilliseconds(), 50u * (SmallProduct().size() + 5));
    });
  });
  for (const Entry& entry : SmallProduct()) {
    EXPECT_EQ(Installed(entry.path), entry.bytes) << entry.path;
  }
  EXPECT_TRUE(App().Terminated());
  EXPECT_NE(ReadFile("D:\\Program Files\\Korvl280\\Options.ini").find("Reset=88"),
            std::string::npos);
  ASSERT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u);
  EXPECT_EQ(Utf8(Machine().Shell().ShellExecuteLog()[0].file),
            "D:\\Program Files\\Korvl280\\KORV.exe");
  EXPECT_FALSE(Exists(Staged("orvlSetup.log")));
  EXPECT_FALSE(Exists(Staged("orvlSetup.ini")));
}

TEST_F(InstallationRunTest, TheCompletionWaitsASecondAfterTheRunAndTheRunStartsOnlyOnce) {
  std::uint64_t runEnded = 0;
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().WaitUntil([&] { return Progress() && Progress()->RunComplete; }, "run complete");
        Check([&] {
          runEnded = Machine().Clock().Now();
          EXPECT_FALSE(Wizard().Visible());
        });
        ScriptWaitForFinishPage();
        Check([&] {
          EXPECT_GE(Machine().Clock().Now() - runEnded, 1000u);
          EXPECT_LT(Machine().Clock().Now() - runEnded, 1100u);
          // Activated again (the wizard came back over it): nothing is extracted a second time.
          platform::DeleteFile("D:\\Program Files\\Korvl280\\ReadMe.txt");
          Progress()->FormActivate();
          EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\ReadMe.txt"));
        });
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(App().Terminated());
}

// What the status line and the bar show over one run, as the screen would show them.
class RunDisplayTest : public InstallationRunTest {
 public:
  RunDisplayTest() {
    std::vector<Entry> product = SmallProduct();
    product.push_back({"FileTxt2", "txtname", "My Notes.txt", "four words"});
    UseProduct(product);
    // A line without a backslash, one two new folders down, a line of four words.
    UseManifest(
        "FileExe exename KORV.exe\r\nFileTxt1 txtname ReadMe.txt\r\n"
        "FileBmp1 bmpname SdbFile\\Image\\Move1.BMP\r\nFileTxt2 txtname My Notes.txt\r\n"
        "uninstall exename Uninstall.exe");
  }

 protected:
  void SetUp() override {
    InstallationRunTest::SetUp();
    Backend().WatchUpdates([this](const gui::Control& control, gui::Changes changed) {
      if (control.Name() == "lbls" && changed.Has(gui::Aspect::Text)) {
        statuses_.push_back(Utf8(control.Caption()));
      }
      if (control.Name() == "pgbs" && changed.Has(gui::Aspect::Value)) {
        positions_.push_back(static_cast<const gui::ProgressBar&>(control).Position());
      }
    });
  }
  std::vector<std::string> statuses_;
  std::vector<int> positions_;
};

TEST_F(RunDisplayTest, ShowsEachStepsStatusAndABarThatOnlyMovesForward) {
  RunWholeInstallation();
  const std::string folder = kDefaultFolder;
  EXPECT_EQ(statuses_,
            (std::vector<std::string>{
                folder + "KORV.exe",
                Utf8("安装主程序文件"),  // the install folder is made first
                folder + "KORV.exe",
                folder + "ReadMe.txt",               // no folder step
                Utf8("创建文件夹\\SdbFile\\Image"),  // both levels in one step
                "D:\\Program Files\\...\\SdbFile\\Image\\Move1.BMP",
                folder + "My Notes.txt",  // the path keeps its space
                folder + "Uninstall.exe", Utf8("创建反安装程序..."), Utf8("创建桌面快捷方式"),
                Utf8("创建程序群组..."), Utf8("写入注册信息"), ""}));
  // Five lines spread over 5..87; 87 again after the uninstaller changes nothing.
  EXPECT_EQ(positions_, (std::vector<int>{1, 5, 21, 37, 54, 70, 87, 90, 95, 100}));
  EXPECT_EQ(Installed("My Notes.txt"), "four words");
  EXPECT_EQ(Installed("SdbFile\\Image\\Move1.BMP"), std::string(3000, 'B'));
}

// Where the manifest breaks off, the run ends with the default error report: no registration,
// no completion, and the files written so far are removed again first.
struct BrokenManifestCase {
  const char* what;
  std::string manifest;
  std::string report;
};

class BrokenManifestTest : public InstallationRunTest,
                           public ::testing::WithParamInterface<BrokenManifestCase> {
 public:
  BrokenManifestTest() { UseManifest(GetParam().manifest); }
};

TEST_P(BrokenManifestTest, EndsTheRunWithTheErrorReportAndUndoesWhatWasWritten) {
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectErrorReport(GetParam().report);
        ScriptLeaveStoppedRun([&] {
          EXPECT_FALSE(Progress()->RunComplete);
          EXPECT_FALSE(Wizard().Visible());
          EXPECT_EQ(Progress()->pgbs->Position(), 5 + 82 / 3) << "the first line's position";
          EXPECT_TRUE(Progress()->btncel->Enabled());
        });
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\ReadMe.txt"));
  EXPECT_FALSE(Exists("D:\\Program Files")) << "the folders the run made are removed";
  EXPECT_FALSE(Registered());
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenManifestTest,
    ::testing::Values(
        BrokenManifestCase{"an entry that is not in the payload",
                           "FileTxt1 txtname ReadMe.txt\r\nFileGone txtname Gone.txt\r\n"
                           "FileExe exename KORV.exe",
                           "Resource FileGone not found"},
        BrokenManifestCase{"a doubled space",
                           "FileTxt1 txtname ReadMe.txt\r\nFileBmp1  bmpname SdbFile\\Move1.BMP\r\n"
                           "FileExe exename KORV.exe",
                           "Resource FileBmp1 not found"},
        BrokenManifestCase{"a blank line",
                           "FileTxt1 txtname ReadMe.txt\r\n\r\nFileExe exename KORV.exe",
                           "Resource  not found"}),
    test_names::From(&BrokenManifestCase::what));

class EntryFolderTest : public InstallationRunTest {
 public:
  EntryFolderTest() {
    UseManifest(
        "FileExe exename KORV.exe\r\nFileBmp1 bmpname SdbFile\\Image\\Move1.BMP\r\n"
        "FileTxt1 txtname ReadMe.txt\r\nFileBmp1 bmpname SdbFile\\Image\\Move2.BMP\r\n"
        "uninstall exename Uninstall.exe");
  }
};

TEST_F(EntryFolderTest, AFolderThatCannotBeMadeEndsTheRunWhichIsUndoneFirst) {
  // A file stands where the folder would go.
  WriteFile("D:\\Program Files\\Korvl280\\SdbFile", "not a folder");
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectMessageDialog(gui::DialogType::Error, "创建文件夹\\SdbFile\\Image 失败",
                                   gui::dlg::kOk, gui::idOk);
        ScriptLeaveStoppedRun([&] {
          EXPECT_FALSE(Progress()->RunComplete);
          EXPECT_FALSE(Progress()->Timer1->Enabled()) << "no success is reported";
        });
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\KORV.exe"))
      << "the main executable written before the failure is removed again";
  EXPECT_EQ(Installed("SdbFile"), "not a folder");
  EXPECT_FALSE(Registered());
}

// A reinstallation over files the user or another program marked: the system refuses to replace
// a read-only, hidden or system file whole, so the run takes the marks off each file first.
TEST_F(InstallationRunTest, AReinstallReplacesFilesMarkedReadOnlyHiddenOrSystem) {
  const std::vector<std::pair<std::string, unsigned>> marked = {
      {"KORV.exe", sim::kReadOnly},
      {"Uninstall.exe", sim::kHidden | sim::kSystem},
      {"ReadMe.txt", sim::kReadOnly | sim::kHidden},
      {"SdbFile\\Image\\Move1.BMP", sim::kSystem}};
  for (const auto& [path, attributes] : marked) {
    const AnsiString file = AnsiString(kDefaultFolder) + path;
    WriteFile(file, "from the earlier installation");
    Machine().Files().SetFileAttributes(file, attributes);
  }
  RunWholeInstallation();
  EXPECT_TRUE(App().Terminated());
  EXPECT_TRUE(Registered());
  for (const Entry& entry : SmallProduct()) {
    EXPECT_EQ(Installed(entry.path), entry.bytes) << entry.path;
    EXPECT_EQ(Machine().Files().FileAttributes(HostPath(AnsiString(kDefaultFolder) + entry.path)),
              0u)
        << entry.path;
  }
}

TEST_F(InstallationRunTest, ALockedMainExecutableEndsTheSetupWithThePlainMessage) {
  WriteFile("D:\\Program Files\\Korvl280\\KORV.exe", "the running copy");
  Machine().Files().LockFile("D:\\Program Files\\Korvl280\\KORV.exe");
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectPlainMessage(kMainExecutableRunning);
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(FormSchedule ? FormSchedule->InstallStarted : false);
  EXPECT_EQ(Installed("KORV.exe"), "the running copy");
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\ReadMe.txt"));
  EXPECT_FALSE(Registered());
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
  EXPECT_FALSE(Exists(Staged("orvlSetup.ini")));
}

TEST_F(InstallationRunTest, AnInstallFolderThatCannotBeMadeStopsTheRunUntilCancel) {
  WriteFile("D:\\Program Files", "a file where the folder would go");
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectMessageDialog(gui::DialogType::Error,
                                   "创建主文件夹\\D:\\Program Files\\Korvl280\\ 失败",
                                   gui::dlg::kOk, gui::idOk);
        ScriptLeaveStoppedRun([&] {
          EXPECT_EQ(Utf8(Progress()->lbls->Caption()), Utf8("安装未完成，所做的更改已撤销"));
          EXPECT_EQ(Progress()->pgbs->Position(), 1);
          EXPECT_FALSE(Progress()->Timer1->Enabled());
        });
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Registered());
}

TEST_F(InstallationRunTest, AConfirmedCancelStopsTheRunAtItsNextServicingPoint) {
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().WaitUntil([&] { return Exists("D:\\Program Files\\Korvl280\\ReadMe.txt"); },
                         "the text is extracted");
        ScriptConfirmedCancel();
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Wizard().InstallStarted);
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\SdbFile\\Image\\Move1.BMP"))
      << "nothing is extracted after the confirmed Cancel";
  EXPECT_FALSE(Registered());
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
  EXPECT_FALSE(Exists(Staged("orvlSetup.log")));
}

TEST_F(InstallationRunTest, ADeclinedCancelLetsTheRunGoOnToTheFinishPage) {
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().WaitUntil([&] { return Exists("D:\\Program Files\\Korvl280\\ReadMe.txt"); },
                         "the text is extracted");
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), kCancelTitle,
                                                kCancelQuestion, 0x1, gui::idCancel);
        ScriptWaitForFinishPage();
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_TRUE(Exists("D:\\Program Files\\Korvl280\\SdbFile\\Image\\Move1.BMP"));
  EXPECT_TRUE(Registered());
  EXPECT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u);
}

}  // namespace
