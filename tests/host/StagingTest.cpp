// The three setup files staged in a folder of the run's own inside the Windows folder's Temp
// folder, and their removal with that folder.
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

TEST_F(StagingTest, StagingFolderIsANewPrivateFolderInTheTempFolderOfTheWindowsFolder) {
  Machine().Files().SetWindowsFolder("D:\\WinNT");
  Machine().Files().MapDrive('D', Root() / "D");
  std::filesystem::create_directories(Root() / "D" / "WinNT");
  App().CreateForm(Formain);
  const std::vector<AnsiString> made = Machine().Files().PrivateFolders();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].rfind("D:\\WinNT\\Temp\\KorvSetup-", 0), 0u) << made[0];
  EXPECT_EQ(Formain->StagingFolder, made[0] + "\\");
  EXPECT_TRUE(std::filesystem::is_directory(HostPath(made[0])));
}

TEST_F(StagingTest, AFolderStandingAtTheChosenNameIsPassedOverAndLeftAlone) {
  // Someone guessed the name and made the folder first, with a configuration of their own.
  const AnsiString planted = AnsiString(kTempFolder) + Machine().Files().PeekPrivateFolderName();
  WriteFile(planted + "\\orvlSetup.ini", "[Form]\r\nCaption=planted\r\n");
  ScriptWaitForWizard();
  User().Step(
      [&] {
        EXPECT_NE(Formain->StagingFolder, planted + "\\");
        EXPECT_EQ(Utf8(FormSchedule->Caption()), Utf8(kWizardCaption));
        ExpectStagedAsTheirEntries();
      },
      "the wizard shows");
  ScriptCloseWizardConfirmed();
  RunWholeSetup();
  EXPECT_EQ(ReadFile(planted + "\\orvlSetup.ini"), "[Form]\r\nCaption=planted\r\n");
  EXPECT_EQ(Machine().Files().PrivateFolders().size(), 1u);
  ExpectNothingStaged();
}

TEST_F(StagingTest, FilesPlantedAtTheSharedFolderNamesAreNeitherReadNorWrittenThrough) {
  const AnsiString shared = kTempFolder;
  WriteFile(shared + "orvlSetup.ini",
            "[Form]\r\nCaption=planted\r\n[Run]\r\nFileName=evil.exe\r\n");
  // A link at the manifest's old name to a file elsewhere.
  WriteFile("C:\\elsewhere.txt", "not to be overwritten");
  std::filesystem::create_symlink(HostPath("C:\\elsewhere.txt"),
                                  HostPath(shared + "orvlSetup.log"));
  ScriptWaitForWizard();
  User().Step(
      [&] {
        EXPECT_EQ(Utf8(FormSchedule->Caption()), Utf8(kWizardCaption));
        EXPECT_EQ(Formain->ReadSetupValue("Run", "FileName"), "");
      },
      "the wizard shows the setup's own caption");
  ScriptCloseWizardConfirmed();
  RunWholeSetup();
  EXPECT_EQ(ReadFile("C:\\elsewhere.txt"), "not to be overwritten");
  EXPECT_TRUE(Exists(shared + "orvlSetup.ini")) << "another user's file is not removed";
  EXPECT_FALSE(Exists(Machine().Files().PrivateFolders().at(0))) << "the run's folder is removed";
}

TEST_F(StagingTest, WithoutItsOwnFolderTheSetupStagesNothingAndSaysSo) {
  Machine().Files().SetPrivateFoldersRefused(true);
  User().ExpectErrorReport(
      "Cannot create file \"C:\\WINDOWS\\Temp\\orvlSetup.log\". Access is denied");
  User().Step([&] { EXPECT_TRUE(Formain->Visible()); }, "backdrop stays").CloseBox("Formain");
  RunWholeSetup();
  for (const char* name : {"orvlSetup.log", "orvlSetup.ini", "SQXY.txt"}) {
    EXPECT_FALSE(Exists(AnsiString(kTempFolder) + name)) << name << " staged in the shared folder";
  }
  EXPECT_FALSE(FormSchedule->Visible());
  EXPECT_TRUE(App().Terminated());
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
  Machine().Files().LockFile(Staged("orvlSetup.ini"));
  User().ExpectErrorReport("Cannot create file \"" + Staged("orvlSetup.ini") +
                           "\". The process cannot access the file because it is being used by "
                           "another process");
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
