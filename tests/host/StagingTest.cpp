// The three setup files staged in the Temp folder inside the Windows folder, and their removal.
#include "SetupFixture.h"

namespace {

class StagingTest : public SetupFixture {
 protected:
  void ExpectStagedAsTheirEntries() {
    EXPECT_EQ(ReadFile(Staged("orvlSetup.log")), kManifest);
    EXPECT_EQ(Utf8(ReadFile(Staged("orvlSetup.ini"))), Utf8(kConfiguration));
    EXPECT_EQ(Utf8(ReadFile(Staged("SQXY.txt"))), Utf8(kLicence));
  }
  void ExpectNothingStaged() {
    for (const char* name : {"orvlSetup.log", "orvlSetup.ini", "SQXY.txt"}) {
      EXPECT_FALSE(Exists(Staged(name))) << name;
    }
  }
};

TEST_F(StagingTest, StagingFolderIsTheTempFolderInsideTheWindowsFolderAndIsCreated) {
  Machine().SetWindowsFolder("D:\\WinNT");
  Machine().MapDrive('D', Root() / "D");
  std::filesystem::create_directories(Root() / "D" / "WinNT");
  App().CreateForm(Formain);
  EXPECT_EQ(Formain->StagingFolder, "D:\\WinNT\\Temp\\");
  EXPECT_TRUE(std::filesystem::is_directory(HostPath("D:\\WinNT\\Temp")));
}

TEST_F(StagingTest, FilesAreStagedWhileTheWizardRunsAndRemovedWhenTheHostCloses) {
  ScriptWaitForWizard();
  // An earlier run left stale copies: they are replaced.
  WriteFile(Staged("orvlSetup.log"), "stale manifest that is longer than the new one");
  WriteFile(Staged("orvlSetup.ini"), "[Form]\r\nCaption=old\r\n");
  User().Step([&] { ExpectStagedAsTheirEntries(); }, "staged while the wizard shows");
  ScriptCloseWizardConfirmed();

  RunWholeSetup();

  ExpectNothingStaged();
}

TEST_F(StagingTest, ClosingWhenSomeStagedFilesAreAlreadyGoneRemovesTheRestSilently) {
  ScriptWaitForWizard();
  User().Step(
      [&] {
        std::filesystem::remove(HostPath(Staged("orvlSetup.ini")));
        std::filesystem::remove(HostPath(Staged("orvlSetup.log")));
      },
      "someone removes two staged files");
  ScriptCloseWizardConfirmed();

  RunWholeSetup();

  ExpectNothingStaged();
  EXPECT_EQ(User().Dialogs().size(), 1u);  // only the close question
}

class StagingWithoutConfigurationTest : public StagingTest {
 protected:
  bool WithConfigurationEntry() const override { return false; }
};

TEST_F(StagingWithoutConfigurationTest, MissingEntryIsReportedNothingIsStagedAndNoWizard) {
  User().ExpectErrorReport("Resource FileTxt7 not found");
  // The backdrop stays until the user closes it.
  User().Step([&] { EXPECT_TRUE(Formain->Visible()); }, "backdrop stays").CloseBox("Formain");

  RunWholeSetup();

  ExpectNothingStaged();
  ASSERT_NE(FormSchedule, nullptr);
  EXPECT_FALSE(FormSchedule->Visible());
  EXPECT_TRUE(App().Terminated());
}

TEST_F(StagingTest, UnwritableStagedFileIsReportedAndTheFilesBeforeItStay) {
  Machine().LockFile(Staged("orvlSetup.ini"));
  User().ExpectErrorReport(
      "Cannot create file \"C:\\WINDOWS\\Temp\\orvlSetup.ini\". The process cannot access "
      "the file because it is being used by another process");
  User()
      .Step(
          [&] {
            EXPECT_EQ(ReadFile(Staged("orvlSetup.log")), kManifest);
            EXPECT_FALSE(Exists(Staged("SQXY.txt")));
          },
          "what was staged before the failure")
      .CloseBox("Formain");

  RunWholeSetup();

  EXPECT_FALSE(Exists(Staged("orvlSetup.log")));
  EXPECT_FALSE(FormSchedule->Visible());
}

}  // namespace
