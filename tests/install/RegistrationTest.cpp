// The registration steps of a whole installation: the uninstall entry and the uninstaller, the
// desktop shortcut, the Program Manager group, the document type, the product keys and the
// compatibility value, and what happens when a step fails.
#include "install/InstallFixture.h"
#include "platform/gui/Edit.h"
#include "support/TestNames.h"

namespace {

using platform::RootKey;

constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";
constexpr const char* kCompatibilityKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const std::string kReinstallQuestion =
    std::string("Korvellov2.8.3.8（标准版-k）") + "已经安装，要再次安装吗？\r\r" +
    "若选择再次安装，请注意备份原软件中的数据资料，以免丢失宝贵数据。\r" +
    "备份方法：退出本安装程序，运行Korvello，点击窗口顶行“文件”菜\r" +
    "单，选择“另存为”保存数据到U盘，或其它熟悉的文件夹中。\r\r" +
    "    按 [Yes] 按钮再次安装；按 [No] 结束\r";
constexpr const char* kLinkFile = "C:\\Users\\Public\\Desktop\\Korvellov2.8.0(k).lnk";

class RegistrationTest : public InstallFixture {
 protected:
  // Types another install folder on the folder page before going on.
  void ScriptInstallInto(const AnsiString& folder) {
    User().Click("BtnNext").Click("BtnNext").Type("Edit_Path", folder);
    User().Click("BtnNext").Click("BtnNext");
  }
  std::uint32_t Dword(RootKey root, const AnsiString& key, const AnsiString& name) {
    const auto value = Machine().Registry().GetValue(root, key, name);
    EXPECT_TRUE(value && value->type == sim::RegistryType::DWord) << Utf8(name);
    if (!value || value->data.size() != 4) return 0;
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->data[i]);
    return number;
  }
  std::vector<std::string> ProgramManagerCommands() {
    std::vector<std::string> commands;
    for (const auto& conversation : Machine().Dde().Conversations()) {
      for (const auto& execution : conversation.executions) {
        commands.push_back(Utf8(execution.command));
        EXPECT_TRUE(execution.waited) << "each answer is waited for";
      }
    }
    return commands;
  }
};

struct FolderCase {
  const char* what;
  const char* folder;  // as typed on the folder page; empty: the proposed folder
  const char* installed;
};

class RegistrationValuesTest : public RegistrationTest,
                               public ::testing::WithParamInterface<FolderCase> {};

TEST_P(RegistrationValuesTest, WritesEveryValueWithQuotedPaths) {
  const FolderCase& c = GetParam();
  RunWizard(
      [&] {
        if (*c.folder) {
          ScriptInstallInto(c.folder);
        } else {
          ScriptStartInstallation();
        }
        ScriptWaitForFinishPage();
        User().Click("BtnNext");
      },
      false);
  const std::string folder = Utf8(c.installed);
  const AnsiString windowsFolder = c.installed;
  const std::string path = folder + "KORV.exe";
  const std::string caption = Utf8(kCaption);

  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "displayname"), "Korvello");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "Publisher"), "Lumenford");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "DisplayVersion"), "2.8.3.8");
  EXPECT_EQ(
      RegistryString(RootKey::CurrentUser, kUninstallKey, "URLInfoAbout").rfind("https://", 0), 0u);
  // The entry starts the uninstaller's copy in the folder only administrators can change.
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "uninstallstring"),
            "\"" + std::string(kProtectedUninstaller) + "\"");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "QuietUninstallString"),
            "\"" + std::string(kProtectedUninstaller) + "\" /S");
  EXPECT_EQ(ReadFile(kProtectedUninstaller), "MZ the uninstaller");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "InstallLocation"), folder);
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "DisplayIcon"),
            "\"" + path + "\",0");
  // 19 + 18 + 6 + 3000 = 3043 bytes of the small product (the uninstaller counted once): 3 KB.
  EXPECT_EQ(Dword(RootKey::CurrentUser, kUninstallKey, "EstimatedSize"), 3u);
  EXPECT_EQ(Dword(RootKey::CurrentUser, kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(Dword(RootKey::CurrentUser, kUninstallKey, "NoRepair"), 1u);
  EXPECT_EQ(Installed("Uninstall.exe", c.installed), "MZ the uninstaller");

  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, ".Orv", ""), "Software\\KORVL");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL", ""), caption);
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\DefaultIcon", ""), path + ",0");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\Shell\\Open", ""), "&Open");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\Shell\\Open\\Command", ""),
            "\"" + path + "\" \"%1\"");
  EXPECT_EQ(Machine().Shell().AssociationNotices(), 1);

  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path"),
            folder);
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial"),
            "02080308");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Version", "Version"),
            Utf8("2.8.3.8（标准版-k）"));
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kCompatibilityKey, windowsFolder + "KORV.exe"),
            "~ DPIUNAWARE");

  const auto links = Machine().Shell().SavedShellLinks();
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(Utf8(links[0].file), kLinkFile);
  EXPECT_EQ(Utf8(links[0].target), path);
  EXPECT_EQ(Utf8(links[0].workingFolder), folder);
  EXPECT_TRUE(Exists(kLinkFile));

  // This product has no help file nor licence text: no item is asked for them.
  const std::vector<std::string> commands = {
      "[creategroup(\"" + caption + "\",\"" + caption + "\")]",
      "[additem(\"" + path + "\",\"" + caption + "\")]",
      "[additem(\"" + std::string(kProtectedUninstaller) + "\",\"" + Utf8("卸载") + caption +
          "\")]"};
  EXPECT_EQ(ProgramManagerCommands(), commands);
  ASSERT_EQ(Machine().Dde().Conversations().size(), 1u);
  EXPECT_FALSE(Machine().Dde().Conversations()[0].open) << "the link is closed after the commands";
  EXPECT_EQ(Machine().Dde().ProgramGroupItems(kCaption).value_or(std::vector<AnsiString>{}),
            (std::vector<AnsiString>{kCaption, "卸载" + AnsiString(kCaption)}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistrationValuesTest,
    ::testing::Values(FolderCase{"the proposed folder", "", "D:\\Program Files\\Korvl280\\"},
                      FolderCase{"a Chinese folder with spaces", "D:\\我的 软件\\Korvello 2\\",
                                 "D:\\我的 软件\\Korvello 2\\"}),
    test_names::From(&FolderCase::what));

class NoShortcutTest : public RegistrationTest {};

TEST_F(NoShortcutTest, ClearingTheBoxWritesNoLinkButEveryOtherValueAndCommand) {
  RunWizard(
      [&] {
        User().Click("BtnNext").Click("BtnNext").Click("chbdesktop");
        User().Click("BtnNext").Click("BtnNext");
        ScriptWaitForFinishPage();
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(Machine().Shell().SavedShellLinks().empty());
  EXPECT_FALSE(Exists(kLinkFile));
  EXPECT_EQ(ProgramManagerCommands().size(), 3u) << "the group and its two items with files";
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial"),
            "02080308");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "displayname"), "Korvello");
}

class OtherTargetTest : public RegistrationTest {
 public:
  OtherTargetTest() {
    ReplaceConfigurationLine("FileName=KORV.exe", "FileName=Korvello.exe");
    UseManifest("FileExe exename Korvello.exe\r\nuninstall exename Uninstall.exe");
  }
};

TEST_F(OtherTargetTest, NamesTheCompatibilityValueAfterKorvButUsesTheTargetEverywhereElse) {
  RunWholeInstallation();
  const std::string folder = kDefaultFolder;
  const std::string path = folder + "Korvello.exe";
  EXPECT_EQ(Installed("Korvello.exe"), "MZ the main program");
  EXPECT_FALSE(Exists(AnsiString(kDefaultFolder) + "KORV.exe"));
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kCompatibilityKey, folder + "KORV.exe"),
            "~ DPIUNAWARE");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\DefaultIcon", ""), path + ",0");
  EXPECT_EQ(RegistryString(RootKey::ClassesRoot, "Software\\KORVL\\Shell\\Open\\Command", ""),
            "\"" + path + "\" \"%1\"");
  ASSERT_EQ(Machine().Shell().SavedShellLinks().size(), 1u);
  EXPECT_EQ(Machine().Shell().SavedShellLinks()[0].target, path);
  ASSERT_GE(ProgramManagerCommands().size(), 2u);
  EXPECT_EQ(ProgramManagerCommands()[1], "[additem(\"" + path + "\",\"" + Utf8(kCaption) + "\")]");
  ASSERT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u);
  EXPECT_EQ(Machine().Shell().ShellExecuteLog()[0].file, path);
}

TEST_F(RegistrationTest, ASecondInstallationOverwritesTheKeysAndAddsACompatibilityValue) {
  // An earlier installation of the same version into another folder.
  const AnsiString earlier = "D:\\Korvello\\";
  WriteFile(earlier + "KORV.exe", "the earlier copy");
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path",
                                {sim::RegistryType::String, earlier});
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial",
                                {sim::RegistryType::String, "02080308"});
  Machine().Registry().SetValue(RootKey::CurrentUser, kCompatibilityKey, earlier + "KORV.exe",
                                {sim::RegistryType::String, "~ DPIUNAWARE"});
  Machine().Registry().SetValue(RootKey::CurrentUser, kUninstallKey, "uninstallstring",
                                {sim::RegistryType::String, earlier + "Uninstall.exe"});
  User().ExpectMessageDialog(gui::DialogType::Confirmation, kReinstallQuestion,
                             gui::dlg::kYes | gui::dlg::kNo, gui::idYes);
  RunWizard(
      [&] {
        ScriptInstallInto("D:\\Program Files\\Korvl280\\");
        ScriptWaitForFinishPage();
        User().Click("BtnNext");
      },
      false);
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path"),
            kDefaultFolder);
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kUninstallKey, "uninstallstring"),
            "\"" + std::string(kProtectedUninstaller) + "\"");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kCompatibilityKey, earlier + "KORV.exe"),
            "~ DPIUNAWARE");
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, kCompatibilityKey,
                           AnsiString(kDefaultFolder) + "KORV.exe"),
            "~ DPIUNAWARE");
  EXPECT_EQ(Machine().Registry().ValueNames(RootKey::CurrentUser, kCompatibilityKey).size(), 2u);
  EXPECT_EQ(ReadFile(earlier + "KORV.exe"), "the earlier copy");
}

// Where Program Manager cannot make the group, the run makes the same group as a folder of links
// in the all-users programs folder, and goes on.
struct GroupFolderCase {
  const char* what;
  std::function<void(sim::SimMachine&)> arrange;
  std::size_t commandsSent;  // to Program Manager before the run gave up on it
};

class GroupFolderTest : public RegistrationTest,
                        public ::testing::WithParamInterface<GroupFolderCase> {};

TEST_P(GroupFolderTest, MakesTheGroupAsAFolderOfLinks) {
  const GroupFolderCase& c = GetParam();
  c.arrange(Machine());
  RunWholeInstallation();
  EXPECT_EQ(ProgramManagerCommands().size(), c.commandsSent);
  EXPECT_TRUE(Machine().Dde().ProgramGroups().empty());

  const std::string folder = Utf8(kDefaultFolder);
  const std::string group =
      "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\" + Utf8(kCaption) + "\\";
  std::vector<std::vector<std::string>> links;  // file, target, working folder
  for (const auto& link : Machine().Shell().SavedShellLinks()) {
    links.push_back({Utf8(link.file), Utf8(link.target), Utf8(link.workingFolder)});
  }
  const std::vector<std::vector<std::string>> expected = {
      {kLinkFile, folder + "KORV.exe", folder},
      {group + Utf8(kCaption) + ".lnk", folder + "KORV.exe", folder},
      {group + Utf8("卸载") + Utf8(kCaption) + ".lnk", kProtectedUninstaller,
       "C:\\ProgramData\\KorvelloSetup\\Uninstall\\"},
  };
  EXPECT_EQ(links, expected) << "the desktop shortcut, then the group's items with files";
  EXPECT_TRUE(Exists(Machine().Shell().SavedShellLinks().back().file));
  EXPECT_EQ(RegistryString(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial"),
            "02080308")
      << "the run went on to its last step";
}

INSTANTIATE_TEST_SUITE_P(
    Table, GroupFolderTest,
    ::testing::Values(
        GroupFolderCase{"no Program Manager",
                        [](sim::SimMachine& machine) {
                          machine.Dde().SetProgramManager(sim::ProgramManagerState::Missing);
                        },
                        0},
        GroupFolderCase{"a Program Manager that refuses Chinese text",
                        [](sim::SimMachine& machine) {
                          machine.Dde().ProgramManager().SetRefusesTextBeyondAscii(true);
                        },
                        1},
        GroupFolderCase{"a Program Manager that never answers",
                        [](sim::SimMachine& machine) {
                          machine.Dde().SetProgramManager(sim::ProgramManagerState::Hung);
                        },
                        1}),
    test_names::From(&GroupFolderCase::what));

TEST_F(RegistrationTest, AMissingProgramManagerIsAskedToStartFirst) {
  Machine().Dde().SetProgramManager(sim::ProgramManagerState::Missing);
  RunWholeInstallation();
  ASSERT_FALSE(Machine().Dde().StartedPrograms().empty());
  EXPECT_EQ(Utf8(Machine().Dde().StartedPrograms().at(0)), "ProgMan ProgMan");
}

// A step that fails ends the run with the default error report: no completion, and what was
// written before, registration included, is undone first.
struct FailingStepCase {
  const char* what;
  bool withUninstaller;  // the payload carries the uninstaller
  std::function<void(sim::SimMachine&)> arrange;
  const char* report;
};

class FailingStepTest : public RegistrationTest,
                        public ::testing::WithParamInterface<FailingStepCase> {
 public:
  FailingStepTest() {
    if (GetParam().withUninstaller) return;
    std::vector<Entry> product = SmallProduct();
    product.erase(product.begin() + 1);
    UseProduct(product);
  }
};

TEST_P(FailingStepTest, EndsTheRunWithTheReportAndUndoesWhatWasWritten) {
  const FailingStepCase& c = GetParam();
  c.arrange(Machine());
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectErrorReport(c.report);
        User().WaitUntil([&] { return Progress() && !Progress()->RunActive(); },
                         "the run has stopped");
        Check([&] {
          EXPECT_FALSE(Progress()->RunComplete);
          EXPECT_FALSE(Wizard().Visible());
        });
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), "退出安装",
                                                "安装程序进行中,确定要退出安装吗?", 0x1, gui::idOk);
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Machine().Registry().KeyExists(RootKey::CurrentUser, kUninstallKey));
  EXPECT_FALSE(Exists(AnsiString(kDesktop) + "\\Korvellov2.8.0(k).lnk"));
  EXPECT_FALSE(Exists("D:\\Program Files"));
  EXPECT_FALSE(Machine().Registry().GetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial",
                                             "Serial"));
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingStepTest,
    ::testing::Values(FailingStepCase{"no uninstaller in the payload", false,
                                      [](sim::SimMachine&) {}, "Resource uninstall not found"},
                      FailingStepCase{
                          "no shell link object", true,
                          [](sim::SimMachine& m) { m.Shell().SetShellLinkRefused(true); },
                          "Class not registered"},
                      FailingStepCase{"the document type refused", true,
                                      [](sim::SimMachine& m) {
                                        m.Registry().SetWritesRefused(RootKey::ClassesRoot, true);
                                      },
                                      "Failed to set data for ''"}),
    test_names::From(&FailingStepCase::what));

}  // namespace
