// Unattended installation from the command line: /S installs with the default choices and
// shows nothing, /D= chooses the folder, /LOG= writes a log, and a silent run tells its caller
// by its exit code what happened.
#include "install/InstallFixture.h"
#include "platform/gui/Edit.h"
#include "support/TestNames.h"

namespace {

using platform::RootKey;

constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";

class SilentSetupTest : public InstallFixture {
 protected:
  void SetUp() override {
    InstallFixture::SetUp();
    // Anything on screen would reach a peer: a silent run must leave every peer untouched.
    Backend().WatchUpdates([this](const gui::Control& control, gui::Changes) {
      shown_.push_back(Utf8(control.Name()));
    });
  }
  int RunWith(const AnsiString& switches) {
    Machine().Module().SetCommandLine("\"C:\\Downloads\\setup.exe\" " + switches);
    return RunWholeSetup();
  }
  void ExpectNothingShown() {
    EXPECT_TRUE(User().Dialogs().empty()) << Utf8(User().Dialogs().front().text);
    EXPECT_TRUE(shown_.empty()) << "shown: " << shown_.front();
  }
  bool Installed() { return Exists(AnsiString(kDefaultFolder) + "KORV.exe"); }
  std::vector<std::string> shown_;
};

TEST_F(SilentSetupTest, InstallsWithTheDefaultChoicesShowingNothingAndStartsNothing) {
  EXPECT_EQ(RunWith("/S"), 0);
  ExpectNothingShown();
  for (const Entry& entry : SmallProduct()) {
    EXPECT_EQ(InstallFixture::Installed(entry.path), entry.bytes) << entry.path;
  }
  EXPECT_NE(ReadFile("D:\\Program Files\\Korvl280\\Options.ini").find("Reset=88"),
            std::string::npos);
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty()) << "the product is not started";
  EXPECT_EQ(Machine().Clock().SleptMilliseconds(), 0u) << "nobody watches a bar to pause for";
  // The values of an interactive installation with the default choices.
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "uninstallstring"),
            "\"C:\\ProgramData\\KorvelloSetup\\Uninstall\\Uninstall.exe\"");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path"),
            "D:\\Program Files\\Korvl280\\");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\Shell\\Open\\Command", ""),
            "\"D:\\Program Files\\Korvl280\\KORV.exe\" \"%1\"");
  ASSERT_EQ(Machine().Shell().SavedShellLinks().size(), 1u) << "the desktop box is on by default";
  EXPECT_EQ(Machine().Dde().ProgramGroups().size(), 1u);
  // The staging folder, and the folder the uninstaller's first copy was moved aside into.
  EXPECT_FALSE(Machine().Files().PrivateFolders().empty());
  for (const AnsiString& folder : Machine().Files().PrivateFolders())
    EXPECT_FALSE(Exists(folder)) << Utf8(folder) << " made and removed again";
}

TEST_F(SilentSetupTest, TheFolderOfTheCommandLineMayHoldSpacesAndChinese) {
  EXPECT_EQ(RunWith("/S /D=D:\\我的 软件\\科维罗 Korv"), 0);
  ExpectNothingShown();
  EXPECT_EQ(ReadFile("D:\\我的 软件\\科维罗 Korv\\KORV.exe"), "MZ the main program");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path"),
            Utf8("D:\\我的 软件\\科维罗 Korv\\"));
  EXPECT_FALSE(Installed()) << "nothing in the proposed folder";
}

TEST_F(SilentSetupTest, AnEarlierInstallationOfTheSameVersionIsInstalledOverInItsFolder) {
  Machine().Files().MapDrive('E', Root() / "E");
  WriteFile("E:\\Korv\\KORV.exe", "the earlier copy");
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial",
                                {sim::RegistryType::String, "2080308"});
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path",
                                {sim::RegistryType::String, "E:\\Korv\\"});
  EXPECT_EQ(RunWith("/S"), 0);
  ExpectNothingShown();
  EXPECT_EQ(ReadFile("E:\\Korv\\KORV.exe"), "MZ the main program");
  EXPECT_FALSE(Installed());
}

// Each way a silent run can end, with its code; nothing is shown on any of them.
struct ExitCase {
  const char* what;
  const char* switches;
  std::function<void(InstallFixture&, sim::SimMachine&)> arrange;
  int code;
  bool installed;  // the main executable left in place (a failed run is undone)
};

class SilentExitTest : public SilentSetupTest, public ::testing::WithParamInterface<ExitCase> {
 public:
  // Gives the table's arrangements the fixture's file helpers.
  void Write(const AnsiString& path, const std::string& bytes) { WriteFile(path, bytes); }
};

TEST_P(SilentExitTest, EndsWithTheCodeOfWhatHappened) {
  const ExitCase& c = GetParam();
  c.arrange(*this, Machine());
  EXPECT_EQ(RunWith(c.switches), c.code);
  ExpectNothingShown();
  EXPECT_EQ(Installed(), c.installed);
  EXPECT_TRUE(Machine().Processes().TerminateCalls().empty())
      << "a running Korvello is never ended";
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
  for (const AnsiString& folder : Machine().Files().PrivateFolders()) {
    EXPECT_FALSE(Exists(folder)) << "staged files left in " << Utf8(folder);
  }
}

void Nothing(InstallFixture&, sim::SimMachine&) {}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentExitTest,
    ::testing::Values(
        ExitCase{"installed", "/S", Nothing, 0, true},
        ExitCase{"an unknown switch", "/S /X", Nothing, 1, false},
        ExitCase{"a log that cannot be opened", "/S /LOG=Q:\\nowhere\\setup.log", Nothing, 1,
                 false},
        ExitCase{"another setup running", "/S",
                 [](InstallFixture&, sim::SimMachine& m) {
                   m.Processes().HoldMutexElsewhere("KOrvlSetup_27805");
                 },
                 2, false},
        ExitCase{"the product running", "/S",
                 [](InstallFixture&, sim::SimMachine& m) { m.Processes().AddProcess("KORV.exe"); },
                 3, false},
        ExitCase{"a newer version installed", "/S",
                 [](InstallFixture& f, sim::SimMachine& m) {
                   static_cast<SilentExitTest&>(f).Write("D:\\Korv\\KORV.exe", "newer");
                   m.Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial",
                                         "Serial", {sim::RegistryType::String, "02090000"});
                   m.Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName",
                                         "Path", {sim::RegistryType::String, "D:\\Korv\\"});
                 },
                 4, false},
        ExitCase{"the install folder cannot be made", "/S",
                 [](InstallFixture& f, sim::SimMachine&) {
                   static_cast<SilentExitTest&>(f).Write("D:\\Program Files", "a file");
                 },
                 5, false},
        ExitCase{"a file that cannot be written", "/S",
                 [](InstallFixture& f, sim::SimMachine& m) {
                   static_cast<SilentExitTest&>(f).Write("D:\\Program Files\\Korvl280\\ReadMe.txt",
                                                         "in use");
                   m.Files().LockFile("D:\\Program Files\\Korvl280\\ReadMe.txt");
                 },
                 6, false},
        ExitCase{"an entry folder that cannot be made", "/S",
                 [](InstallFixture& f, sim::SimMachine&) {
                   static_cast<SilentExitTest&>(f).Write("D:\\Program Files\\Korvl280\\SdbFile",
                                                         "a file");
                 },
                 6, false},
        ExitCase{"a registration step refused", "/S",
                 [](InstallFixture&, sim::SimMachine& m) {
                   m.Registry().SetWritesRefused(RootKey::ClassesRoot, true);
                 },
                 7, false},
        ExitCase{"the install drive has too little space", "/S",
                 [](InstallFixture&, sim::SimMachine& m) {
                   m.Files().SetDriveSpace('D', 1ull << 30, 100);
                 },
                 8, false}),
    test_names::From(&ExitCase::what));

// A folder of /D= the folder page would refuse: a mistake of the command line, found before
// anything is written.
struct BadFolderCase {
  const char* what;
  AnsiString folder;
};

void PrintTo(const BadFolderCase& c, std::ostream* out) { *out << c.what; }

class SilentBadFolderTest : public SilentSetupTest,
                            public ::testing::WithParamInterface<BadFolderCase> {};

TEST_P(SilentBadFolderTest, IsAUsageErrorAndNothingIsWritten) {
  const BadFolderCase& c = GetParam();
  EXPECT_EQ(RunWith("/S /LOG=C:\\setup.log /D=" + c.folder), 1);
  ExpectNothingShown();
  std::vector<std::string> written;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Root() / "D")) {
    written.push_back(entry.path().string());
  }
  EXPECT_TRUE(written.empty()) << written.front();
  EXPECT_FALSE(Exists("C:\\Downloads\\KORV.exe")) << "nothing beside the setup either";
  EXPECT_FALSE(Machine().Registry().GetValue(RootKey::CurrentUser, kUninstallKey, "displayname"));
  for (const AnsiString& folder : Machine().Files().PrivateFolders()) {
    EXPECT_FALSE(Exists(folder)) << "staged files left in " << Utf8(folder);
  }
  const std::string log = ReadFile("C:\\setup.log");
  EXPECT_NE(log.find(Utf8("error (exit code 1): /D=" + c.folder)), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentBadFolderTest,
    ::testing::Values(BadFolderCase{"relative", "Korv"}, BadFolderCase{"a letter", "E"},
                      BadFolderCase{"a drive alone", "D:"},
                      BadFolderCase{"a network path", "\\\\server\\share\\x\\"},
                      BadFolderCase{"a bar in a name", "D:\\a|b\\"},
                      BadFolderCase{"a drive that is not there", "Q:\\x\\"},
                      // SdbFile\Image\Move1.BMP is 23 characters: 240 + 23 > 259.
                      BadFolderCase{"too long", "D:\\" + AnsiString(236, 'k') + "\\"}),
    test_names::From(&BadFolderCase::what));

TEST_F(SilentSetupTest, TheLogNamesTheSwitchesTheFolderEachFileValueAndStep) {
  EXPECT_EQ(RunWith("/LOG=C:\\安装.log /S"), 0);
  const std::string log = ReadFile("C:\\安装.log");
  for (const std::string& line :
       {Utf8("command line: \"C:\\Downloads\\setup.exe\" /LOG=C:\\安装.log /S"),
        std::string("silent installation"),
        std::string("install folder D:\\Program Files\\Korvl280\\"),
        std::string("file D:\\Program Files\\Korvl280\\KORV.exe (19 bytes)"),
        std::string("file D:\\Program Files\\Korvl280\\SdbFile\\Image\\Move1.BMP (3000 bytes)"),
        std::string("registry HKEY_CURRENT_USER\\") + kUninstallKey + ": NoModify = 1 (DWORD)",
        std::string("registry HKEY_CLASSES_ROOT\\.Orv: (default) = Software\\KORVL"),
        std::string("done: uninstall entry and Uninstall.exe"),
        std::string("done: document type and product keys"), std::string("installed")}) {
    EXPECT_NE(log.find(line + "\r\n"), std::string::npos) << line << "\n--- log:\n" << log;
  }
}

TEST_F(SilentSetupTest, AFailureIsLoggedWithItsText) {
  WriteFile("D:\\Program Files", "a file");
  EXPECT_EQ(RunWith("/S /LOG=C:\\setup.log"), 5);
  const std::string log = ReadFile("C:\\setup.log");
  EXPECT_NE(log.find(Utf8("error (exit code 5): 创建主文件夹\\D:\\Program Files\\Korvl280\\ 失败")),
            std::string::npos)
      << log;
}

TEST_F(SilentSetupTest, TooLittleSpaceEndsTheRunBeforeAnythingIsWrittenAndIsLogged) {
  const std::uint64_t total = PayloadTotal();
  ASSERT_GT(total, 3000u);
  Machine().Files().SetDriveSpace('D', 1ull << 30, total - 1);
  EXPECT_EQ(RunWith("/S /LOG=C:\\setup.log"), 8);
  ExpectNothingShown();
  const std::string log = ReadFile("C:\\setup.log");
  const std::string refusal = Format(
      "error (exit code 8): not enough space on D:\\: the installation writes %llu bytes, "
      "%llu bytes are free",
      static_cast<unsigned long long>(total), static_cast<unsigned long long>(total - 1));
  EXPECT_NE(log.find(refusal), std::string::npos) << log;
  EXPECT_FALSE(Exists("D:\\Program Files")) << "nothing made on the install drive";
  EXPECT_FALSE(Machine().Registry().KeyExists(RootKey::CurrentUser, kUninstallKey));
}

class InteractiveSwitchesTest : public SilentSetupTest {};

TEST_F(InteractiveSwitchesTest, HelpAndUnknownSwitchesShowTheUsageBoxAndInstallNothing) {
  for (const auto& [switches, code] :
       std::vector<std::pair<AnsiString, int>>{{"/?", 0}, {"/X", 1}}) {
    User().ExpectMessageBox(sim::Owner::None(), "korvlSetup", SetupUsageText(), 0x40, gui::idOk);
    EXPECT_EQ(RunWith(switches), code) << Utf8(switches);
  }
  EXPECT_TRUE(Machine().Files().PrivateFolders().empty()) << "nothing staged";
}

TEST_F(InteractiveSwitchesTest, TheFolderOfTheCommandLineIsTheOneTheFolderPageProposes) {
  Machine().Module().SetCommandLine("setup.exe /D=D:\\Apps\\Korv Test");
  RunWizard([&] {
    User().Click("BtnNext").Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "D:\\Apps\\Korv Test\\");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Apps\\Korv Test\\");
    });
  });
  EXPECT_FALSE(shown_.empty()) << "the watch sees what a run with windows shows";
}

}  // namespace
