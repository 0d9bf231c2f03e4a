// The check for an earlier installation when the wizard first becomes active, and the install
// folder's first value.
#include "support/TestNames.h"
#include "wizard/WizardFixture.h"

namespace {

constexpr const char* kSerialKey = "Software\\KORVL\\Shell\\Serial";
constexpr const char* kPathKey = "Software\\KORVL\\Shell\\PathName";
constexpr const char* kInstalled = "D:\\Program Files\\Korvl280\\";

const std::string kReinstallPrompt =
    std::string("Korvellov2.8.3.8（标准版-k）") + "已经安装，要再次安装吗？\r\r" +
    "若选择再次安装，请注意备份原软件中的数据资料，以免丢失宝贵数据。\r" +
    "备份方法：退出本安装程序，运行Korvello，点击窗口顶行“文件”菜\r" +
    "单，选择“另存为”保存数据到U盘，或其它熟悉的文件夹中。\r\r" +
    "    按 [Yes] 按钮再次安装；按 [No] 结束\r";
const std::string kOlderPrompt =
    "您正在安装的是一个旧版本，要继续安装吗？\r\r    按 [Yes] 按钮继续安装；按 [No] 结束\r";

sim::RegistryValue Text(const char* text) { return {sim::RegistryType::String, text}; }

struct CheckCase {
  const char* what;
  const char* serial;  // nullptr: no value
  bool executable;     // KORV.exe in the recorded folder
  const char* prompt;  // "reinstall", "older" or nullptr
  int answer;          // to the prompt
  bool ends;           // the setup ends
};

void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.what; }

class InstallationCheckTest : public WizardFixture,
                              public ::testing::WithParamInterface<CheckCase> {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    Machine().Files().MapDrive('D', Root() / "D");
  }
};

TEST_P(InstallationCheckTest, ComparesTheSerialsOfAnInstalledCopyThatIsStillThere) {
  const CheckCase& c = GetParam();
  if (c.serial) {
    Machine().Registry().SetValue(platform::RootKey::CurrentUser, kSerialKey, "Serial",
                                  Text(c.serial));
    Machine().Registry().SetValue(platform::RootKey::CurrentUser, kPathKey, "Path",
                                  Text(kInstalled));
  }
  if (c.executable) WriteFile(std::string(kInstalled) + "KORV.exe", "MZ");
  if (c.prompt) {
    const std::string text = std::string(c.prompt) == "reinstall" ? kReinstallPrompt : kOlderPrompt;
    User().ExpectMessageDialog(gui::DialogType::Confirmation, text, gui::dlg::kYes | gui::dlg::kNo,
                               c.answer);
  }
  if (c.ends) {
    RunWholeSetup();
    EXPECT_TRUE(App().Terminated());
    EXPECT_FALSE(Exists(Staged("orvlSetup.ini"))) << "the host closed";
    return;
  }
  RunWizard([&] {
    Check([&] {
      EXPECT_EQ(Utf8(Formain->VersionSerial), "02080308");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\");
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "D:\\Program Files\\Korvl280\\");
    });
  });
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstallationCheckTest,
    ::testing::Values(
        CheckCase{"no earlier installation", nullptr, false, nullptr, 0, false},
        CheckCase{"keys but the executable removed", "2080308", false, nullptr, 0, false},
        CheckCase{"the same version answered Yes", "2080308", true, "reinstall", gui::idYes, false},
        CheckCase{"the same version with a fraction and exponent answered No", "2.080308E6", true,
                  "reinstall", gui::idNo, true},
        CheckCase{"a newer installed copy answered Yes", "2080400", true, "older", gui::idYes,
                  false},
        CheckCase{"a newer installed copy answered No", "2080400", true, "older", gui::idNo, true},
        CheckCase{"an older installed copy", "2080307", true, nullptr, 0, false}),
    test_names::From(&CheckCase::what));

using InstallationCheckKeysTest = InstallationCheckTest;

TEST_F(InstallationCheckKeysTest, AFirstInstallationLeavesBothKeysCreatedAndEmpty) {
  RunWizard([&] {
    Check([&] {
      for (const char* key : {kSerialKey, kPathKey}) {
        EXPECT_TRUE(Machine().Registry().KeyExists(platform::RootKey::CurrentUser, key)) << key;
        EXPECT_TRUE(Machine().Registry().ValueNames(platform::RootKey::CurrentUser, key).empty());
      }
    });
  });
}

class InstallationCheckFailureTest : public InstallationCheckTest {};

TEST_F(InstallationCheckFailureTest, ASerialThatIsNoNumberIsReportedAndTheFolderIsNotSet) {
  Machine().Registry().SetValue(platform::RootKey::CurrentUser, kSerialKey, "Serial",
                                Text("2.8.3.8"));
  Machine().Registry().SetValue(platform::RootKey::CurrentUser, kPathKey, "Path", Text(kInstalled));
  WriteFile(std::string(kInstalled) + "KORV.exe", "MZ");
  User().ExpectErrorReport("'2.8.3.8' is not a valid floating point value");
  RunWizard([&] {
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), "") << "the folder is not set";
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "D:\\Program Files\\DirName");
    });
  });
}

TEST_F(InstallationCheckFailureTest, ANonStringSerialIsReportedAndTheFolderIsNotSet) {
  Machine().Registry().SetValue(platform::RootKey::CurrentUser, kSerialKey, "Serial",
                                sim::DWordValue(2080308));
  User().ExpectErrorReport("Invalid data type for 'Serial'");
  RunWizard([&] { Check([&] { EXPECT_EQ(Utf8(Formain->InstallFolder), ""); }); });
}

class EmptySetupPathTest : public InstallationCheckTest {
 protected:
  EmptySetupPathTest() {
    ReplaceConfigurationLine("SetupPath=D:\\Program Files\\Korvl280", "SetupPath=");
  }
};

TEST_F(EmptySetupPathTest, AnEmptySetupPathGivesABackslash) {
  RunWizard([&] { Check([&] { EXPECT_EQ(Utf8(Formain->InstallFolder), "\\"); }); });
}

}  // namespace
