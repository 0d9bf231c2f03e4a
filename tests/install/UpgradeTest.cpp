// An installation over an earlier one keeps what the user changed since: a recorded data file
// whose content no longer matches the record stays as the user left it, while unchanged files,
// programs and the files the setup itself reads are replaced. The log and, on screen, one
// message name the kept files; the new record still knows them as installed.
#include "install/InstallFixture.h"
#include "install/InstallRecord.h"
#include "platform/Files.h"
#include "setupdata/Sha256.h"

namespace {

constexpr const char* kFolder = "D:\\Program Files\\Korvl280\\";
constexpr const char* kKeptTitle = "保留的文件";

class UpgradeTest : public InstallFixture {
 protected:
  UpgradeTest() {
    std::vector<Entry> product = SmallProduct();
    product.push_back({"FileDoc1", "docname", "UserFile\\Notes.orv", "the new sample notes"});
    product.push_back({"FileDat1", "datname", "CYLib\\CYBaseM.dat", std::string(500, 'D')});
    product.push_back({"FileTxt7", "txtname", "Setup.ini", kShippedConfiguration});
    product.push_back({"FileTxt2", "txtname", "Print.ini", "[Print]\r\n"});
    UseProduct(product);
  }

  // The earlier installation: each file with its earlier bytes and the record its setup wrote.
  void ArrangeEarlierInstallation() {
    InstallRecord record;
    record.version = "02070000";
    for (const auto& [path, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"KORV.exe", "MZ the earlier program"},
             {"Uninstall.exe", "MZ the earlier uninstaller"},
             {"ReadMe.txt", "earlier readme"},
             {"SdbFile\\Image\\Move1.BMP", "earlier picture"},
             {"UserFile\\Notes.orv", "the earlier sample notes"},
             {"CYLib\\CYBaseM.dat", std::string(400, 'd')},
             {"Setup.ini", "[Form]\r\nSerial=02070000\r\n"},
             {"Print.ini", "[Print]\r\nold\r\n"}}) {
      const AnsiString file = AnsiString(kFolder) + path;
      WriteFile(file, bytes);
      const auto stamp = platform::StampOf(file);
      ASSERT_TRUE(stamp.has_value());
      record.files.push_back(
          {path, stamp->size, stamp->writeTime, Sha256Hex(bytes.data(), bytes.size()), false});
    }
    WriteInstallRecord(kFolder, record);
  }

  // What the user did since: their own notes and records, a program and the configuration
  // changed; the print settings touched but left as they were.
  void ArrangeUserChanges() {
    WriteFile(AnsiString(kFolder) + "UserFile\\Notes.orv", "my own notes");
    WriteFile(AnsiString(kFolder) + "CYLib\\CYBaseM.dat", std::string(400, 'u'));
    WriteFile(AnsiString(kFolder) + "KORV.exe", "MZ patched by the user");
    WriteFile(AnsiString(kFolder) + "Setup.ini", "[Form]\r\nSerial=99\r\n");
    WriteFile(AnsiString(kFolder) + "Print.ini", "[Print]\r\nold\r\n");
    std::filesystem::last_write_time(
        HostPath(AnsiString(kFolder) + "Print.ini"),
        std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
  }

  // Installs with the default choices; with the finish page, one message names both kept files
  // and no other.
  void InstallSeeingTheKeptFilesNamed() {
    RunWizard(
        [&] {
          ScriptStartInstallation();
          User().ExpectMessageBox(
              sim::Owner::Ref(FormSchedule, "FormSchedule"), kKeptTitle,
              "以下文件在上次安装后被您修改过，安装程序保留了它们，没有覆盖：\r\r"
              "D:\\Program Files\\Korvl280\\UserFile\\Notes.orv\r"
              "D:\\Program Files\\Korvl280\\CYLib\\CYBaseM.dat",
              0x40, gui::idOk);
          ScriptWaitForFinishPage();
          User().Click("BtnNext");
        },
        false);
    ExpectUserFilesKeptAndTheRestReplaced();
  }

  void ExpectUserFilesKeptAndTheRestReplaced() {
    EXPECT_EQ(Installed("UserFile\\Notes.orv"), "my own notes");
    EXPECT_EQ(Installed("CYLib\\CYBaseM.dat"), std::string(400, 'u'));
    EXPECT_EQ(Installed("KORV.exe"), "MZ the main program") << "a program is always replaced";
    EXPECT_EQ(Installed("Setup.ini"), kShippedConfiguration)
        << "the setup's own files are always replaced";
    EXPECT_EQ(Installed("Print.ini"), "[Print]\r\n") << "touched but unchanged: replaced";
    EXPECT_EQ(Installed("ReadMe.txt"), "自述\r\n");
    AnsiString why;
    const auto record = ReadInstallRecord(kFolder, &why);
    ASSERT_TRUE(record.has_value()) << Utf8(why);
    EXPECT_EQ(Utf8(record->version), "02080308");
    const RecordedFile* notes = record->FindFile("UserFile\\Notes.orv");
    ASSERT_NE(notes, nullptr) << "a kept file is still recorded as installed";
    const std::string earlierNotes = "the earlier sample notes";
    EXPECT_EQ(notes->sha256, Sha256Hex(earlierNotes.data(), earlierNotes.size()))
        << "as the earlier installation wrote it, so the next setup keeps it too";
    const RecordedFile* program = record->FindFile("KORV.exe");
    ASSERT_NE(program, nullptr);
    const std::string bytes = "MZ the main program";
    EXPECT_EQ(program->sha256, Sha256Hex(bytes.data(), bytes.size()));
  }
};

TEST_F(UpgradeTest, OnScreenOneMessageNamesTheKeptFiles) {
  ArrangeEarlierInstallation();
  ArrangeUserChanges();
  InstallSeeingTheKeptFilesNamed();
}

// The same version again, after the question whether to install it once more: the same rule.
TEST_F(UpgradeTest, TheSameVersionReinstalledAfterItsQuestionKeepsTheChangesToo) {
  ArrangeEarlierInstallation();
  ArrangeUserChanges();
  Machine().Registry().SetValue(platform::RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial",
                                "Serial", {sim::RegistryType::String, "2080308"});
  Machine().Registry().SetValue(platform::RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName",
                                "Path", {sim::RegistryType::String, kFolder});
  const std::string question =
      std::string(kCaption) + "已经安装，要再次安装吗？\r\r" +
      "若选择再次安装，请注意备份原软件中的数据资料，以免丢失宝贵数据。\r" +
      "备份方法：退出本安装程序，运行Korvello，点击窗口顶行“文件”菜\r" +
      "单，选择“另存为”保存数据到U盘，或其它熟悉的文件夹中。\r\r" +
      "    按 [Yes] 按钮再次安装；按 [No] 结束\r";
  User().ExpectMessageDialog(gui::DialogType::Confirmation, question,
                             gui::dlg::kYes | gui::dlg::kNo, gui::idYes);
  InstallSeeingTheKeptFilesNamed();
}

TEST_F(UpgradeTest, ASilentRunLogsTheKeptFiles) {
  ArrangeEarlierInstallation();
  ArrangeUserChanges();
  Machine().Module().SetCommandLine("setup.exe /S /LOG=C:\\setup.log");
  EXPECT_EQ(RunWholeSetup(), 0);
  ExpectUserFilesKeptAndTheRestReplaced();
  const std::string log = ReadFile("C:\\setup.log");
  for (const char* kept : {"UserFile\\Notes.orv", "CYLib\\CYBaseM.dat"}) {
    EXPECT_NE(log.find(std::string("kept (changed by the user): ") + kFolder + kept + "\r\n"),
              std::string::npos)
        << kept << "\n"
        << log;
  }
  EXPECT_EQ(log.find("kept (changed by the user): D:\\Program Files\\Korvl280\\KORV.exe"),
            std::string::npos);
}

// Without a record it can trust, the setup cannot tell the user's changes: every file is
// overwritten, and the log says why the record was not used.
struct UntrustedRecord {
  const char* what;
  std::string text;  // empty: no record at all
};

class UntrustedRecordTest : public UpgradeTest,
                            public ::testing::WithParamInterface<UntrustedRecord> {};

TEST_P(UntrustedRecordTest, EveryFileIsOverwritten) {
  ArrangeEarlierInstallation();
  ArrangeUserChanges();
  const AnsiString record = AnsiString(kFolder) + kInstallRecordFileName;
  if (GetParam().text.empty()) {
    platform::DeleteFile(record);
  } else {
    WriteFile(record, GetParam().text);
  }
  Machine().Module().SetCommandLine("setup.exe /S /LOG=C:\\setup.log");
  EXPECT_EQ(RunWholeSetup(), 0);
  EXPECT_EQ(Installed("UserFile\\Notes.orv"), "the new sample notes");
  EXPECT_EQ(Installed("CYLib\\CYBaseM.dat"), std::string(500, 'D'));
  EXPECT_NE(ReadFile("C:\\setup.log").find("record: none used ("), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Records, UntrustedRecordTest,
    ::testing::Values(
        UntrustedRecord{"none", ""},
        UntrustedRecord{"cut_short", "Korvello installation record 1\r\nversion\t02070000\r\n"},
        UntrustedRecord{"naming_a_file_outside_the_folder",
                        "Korvello installation record 1\r\nfile\t..\\..\\Notes.orv\t1\t1\t-\t"
                        "new\r\nend\r\n"}),
    [](const ::testing::TestParamInfo<UntrustedRecord>& info) { return info.param.what; });

TEST(KeptFilesMessageTest, NamesTheFirstFiveAndHowManyMore) {
  const std::vector<AnsiString> kept = {"a.orv", "b.orv", "c.orv",          "d.orv",
                                        "e.orv", "f.orv", "UserFile\\g.orv"};
  const AnsiString heading = "以下文件在上次安装后被您修改过，安装程序保留了它们，没有覆盖：\r";
  EXPECT_EQ(KeptFilesMessage("D:\\K\\", {kept.begin(), kept.begin() + 5}),
            heading + "\rD:\\K\\a.orv\rD:\\K\\b.orv\rD:\\K\\c.orv\rD:\\K\\d.orv\rD:\\K\\e.orv");
  EXPECT_EQ(KeptFilesMessage("D:\\K\\", kept), heading +
                                                   "\rD:\\K\\a.orv\rD:\\K\\b.orv\rD:\\K\\c.orv\rD:"
                                                   "\\K\\d.orv\rD:\\K\\e.orv\r……另有 2 个文件");
}

}  // namespace
