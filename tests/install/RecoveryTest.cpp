// A setup killed during its run leaves its journal behind: the next setup undoes what the journal
// lists before anything else, and removes it. A journal in a folder someone else made (a
// standard user may make folders in the common application data folder) is never acted on.
#include "install/InstallFixture.h"
#include "install/RunJournal.h"
#include "platform/Files.h"

namespace {

constexpr const char* kLayersKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

class RecoveryTest : public InstallFixture {
 protected:
  // What a run killed after its third file left: its folders, two new files, an earlier file
  // moved aside, a registry value it changed, and the line it was writing when it died.
  void ArrangeKilledRun() {
    WriteFile("D:\\Killed\\Notes.txt", "the user's earlier notes, moved aside");
    WriteFile("D:\\Killed\\KorvSetup-aside\\1", "the earlier ReadMe");
    WriteFile("D:\\Killed\\KORV.exe", "MZ half a program");
    WriteFile("D:\\Killed\\SdbFile\\Move1.BMP", "BB");
    WriteFile("D:\\Killed\\ReadMe.txt", "the new ReadMe");
    Machine().Registry().SetValue(platform::RootKey::CurrentUser, kLayersKey,
                                  "D:\\Killed\\KORV.exe",
                                  {sim::RegistryType::String, "~ DPIUNAWARE"});
    const auto change = [](RunChange::Kind kind, const AnsiString& path) {
      RunChange made;
      made.kind = kind;
      made.path = path;
      return made;
    };
    RunChange aside = change(RunChange::Kind::MovedAside, "D:\\Killed\\ReadMe.txt");
    aside.aside = "D:\\Killed\\KorvSetup-aside\\1";
    RunChange layer = change(RunChange::Kind::Value, kLayersKey);
    layer.name = "D:\\Killed\\KORV.exe";
    std::string journal = JournalHeader();
    for (const RunChange& made :
         {change(RunChange::Kind::Folder, "D:\\Killed"),
          change(RunChange::Kind::NewFile, "D:\\Killed\\KORV.exe"),
          change(RunChange::Kind::Folder, "D:\\Killed\\SdbFile"),
          change(RunChange::Kind::NewFile, "D:\\Killed\\SdbFile\\Move1.BMP"),
          change(RunChange::Kind::Folder, "D:\\Killed\\KorvSetup-aside"), aside, layer}) {
      journal += JournalLine(made);
    }
    journal += "new\tD:\\Killed\\Uni";  // cut short by the kill
    WriteFile(RunJournal::FilePath(), journal);
  }

  void ExpectKilledRunUndone() {
    EXPECT_FALSE(Exists("D:\\Killed\\KORV.exe"));
    EXPECT_FALSE(Exists("D:\\Killed\\SdbFile"));
    EXPECT_FALSE(Exists("D:\\Killed\\KorvSetup-aside"));
    EXPECT_EQ(ReadFile("D:\\Killed\\ReadMe.txt"), "the earlier ReadMe");
    EXPECT_EQ(ReadFile("D:\\Killed\\Notes.txt"), "the user's earlier notes, moved aside")
        << "the folder holds a file the run never made: it stays";
    EXPECT_FALSE(Machine().Registry().GetValue(platform::RootKey::CurrentUser, kLayersKey,
                                               "D:\\Killed\\KORV.exe"))
        << "a value that was not there before goes";
    EXPECT_FALSE(Exists(RunJournal::FilePath()));
  }
};

TEST_F(RecoveryTest, TheNextSetupUndoesTheKilledRunBeforeAnythingElse) {
  ASSERT_TRUE(platform::EnsureAdministratorsFolder(RunJournal::Folder()));
  ArrangeKilledRun();
  // Undone first of all, before this setup looks for its install folder.
  Machine().Module().SetCommandLine("setup.exe /S /LOG=C:\\setup.log /D=D:\\Other\\");
  EXPECT_EQ(RunWholeSetup(), 0);
  ExpectKilledRunUndone();
  const std::string log = ReadFile("C:\\setup.log");
  const std::size_t recovery = log.find("recovery: rolled back the unfinished installation");
  EXPECT_NE(recovery, std::string::npos) << log;
  EXPECT_LT(recovery, log.find("install folder D:\\Other\\")) << "before anything else";
  EXPECT_EQ(ReadFile("D:\\Other\\KORV.exe"), "MZ the main program");
}

TEST_F(RecoveryTest, WhatCannotBeUndoneYetStaysInTheJournalForTheSetupAfter) {
  ASSERT_TRUE(platform::EnsureAdministratorsFolder(RunJournal::Folder()));
  ArrangeKilledRun();
  // Another program holds the killed run's new file open.
  Machine().Files().LockFile("D:\\Killed\\KORV.exe");
  const std::string journal = ReadFile(RunJournal::FilePath());
  Machine().Module().SetCommandLine("setup.exe /S /LOG=C:\\setup.log /D=D:\\Other\\");
  EXPECT_EQ(RunWholeSetup(), 0) << "this setup installs all the same";
  EXPECT_EQ(ReadFile(RunJournal::FilePath()), journal) << "kept whole, not written over";
  EXPECT_EQ(ReadFile("D:\\Killed\\ReadMe.txt"), "the earlier ReadMe") << "the rest is undone";
  const std::string log = ReadFile("C:\\setup.log");
  EXPECT_NE(log.find("recovery: some changes could not be undone"), std::string::npos) << log;
  EXPECT_NE(log.find("journal: none, the changes are kept in memory only: an earlier run's "
                     "journal is still waiting to be undone"),
            std::string::npos)
      << log;
}

TEST_F(RecoveryTest, AJournalInAFolderSomeoneElseMadeIsLeftAlone) {
  // Made as a standard user could, before any setup ran.
  std::filesystem::create_directories(HostPath(RunJournal::Folder()));
  ArrangeKilledRun();
  Machine().Module().SetCommandLine("setup.exe /S /LOG=C:\\setup.log /D=D:\\Other\\");
  RunWholeSetup();
  EXPECT_EQ(ReadFile("D:\\Killed\\KORV.exe"), "MZ half a program") << "nothing it names is touched";
  EXPECT_EQ(ReadFile("D:\\Killed\\KorvSetup-aside\\1"), "the earlier ReadMe");
  const std::string log = ReadFile("C:\\setup.log");
  EXPECT_NE(log.find("recovery: a journal was left alone: the journal's folder is not trusted"),
            std::string::npos)
      << log;
}

}  // namespace
