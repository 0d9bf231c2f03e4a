// The folder page: the default-drive choice, the drive table, Browse, the double-click on the
// table and the path box.
#include <cstdint>
#include <optional>

#include "support/TestNames.h"
#include "wizard/WizardFixture.h"

namespace {

constexpr std::uint64_t GB(double gigabytes) {
  return static_cast<std::uint64_t>(gigabytes * 1024 * 1024 * 1024);
}

class FolderPageTest : public WizardFixture {
 protected:
  void MapDrives(const std::string& letters) {
    for (char letter : letters) {
      if (letter != 'C') Machine().Files().MapDrive(letter, Root() / std::string(1, letter));
    }
    if (letters.find('C') == std::string::npos) Machine().Files().UnmapDrive('C');
  }
  // Queues Next twice: from the welcome page to the folder page.
  void ScriptToFolderPage() { User().Click("BtnNext").Click("BtnNext"); }

  std::vector<std::vector<std::string>> Table() {
    std::vector<std::vector<std::string>> rows;
    const gui::StringGrid& grid = *Wizard().DiskGrid;
    for (int row = 0; row < grid.RowCount(); ++row) {
      std::vector<std::string> cells;
      for (int column = 0; column < grid.ColCount(); ++column) {
        cells.push_back(Utf8(grid.Cell(column, row)));
      }
      rows.push_back(cells);
    }
    return rows;
  }
};

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

struct DriveCase {
  const char* what;
  const char* drives;
  const char* folder;
  int selectedRow;
};

void PrintTo(const DriveCase& c, std::ostream* out) { *out << c.what; }

class DefaultDriveTest : public FolderPageTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(DefaultDriveTest, EnteringThePageAppliesTheDefaultDriveAndSelectsItsRow) {
  const DriveCase& c = GetParam();
  MapDrives(c.drives);
  RunWizard([&] {
    ScriptToFolderPage();
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), c.folder);
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), c.folder);
      const Rows table = Table();
      ASSERT_EQ(table.size(), std::string(c.drives).size());
      for (std::size_t row = 0; row < table.size(); ++row) {
        EXPECT_EQ(table[row][0], std::string(1, c.drives[row]) + ":\\");
        EXPECT_EQ(table[row][1], "100.0 GB");
        EXPECT_EQ(table[row][2], "50.0 GB");
        const bool install = static_cast<int>(row) == c.selectedRow;
        EXPECT_EQ(table[row][3], install ? " 12 MB" : "") << "row " << row;
        EXPECT_EQ(table[row][4], install ? " 50.0 GB" : "") << "row " << row;
      }
      EXPECT_EQ(Wizard().DiskGrid->Row(), c.selectedRow);
    });
  });
}

INSTANTIATE_TEST_SUITE_P(
    Drives, DefaultDriveTest,
    ::testing::Values(DriveCase{"C D E", "CDE", "D:\\Program Files\\Korvl280\\", 1},
                      DriveCase{"C E", "CE", "E:\\Program Files\\Korvl280\\", 1},
                      DriveCase{"C only, the first row", "C", "C:\\Program Files\\Korvl280\\", 0},
                      DriveCase{"A C F", "ACF", "C:\\Program Files\\Korvl280\\", 1}),
    test_names::From(&DriveCase::what));

TEST_F(FolderPageTest, WithoutCDOrETheFolderKeepsItsValueAfterTheNotice) {
  MapDrives("CFG");
  RunWizard([&] {
    // Drive C: holds the staged files: it goes once the licence has been read.
    User().Click("BtnNext");
    Check([&] { Machine().Files().UnmapDrive('C'); }, "drive C: goes");
    User().Click("BtnNext");
    User().ExpectPlainMessage("硬盘分区异常，无法安装软件。");
    Check([&] {
      EXPECT_EQ(Page(), 2);
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\")
          << "the value of the activation stays";
      EXPECT_EQ(Table().size(), 2u);
      EXPECT_EQ(Wizard().DiskGrid->Row(), 0) << "no drive row matches D:";
    });
  });
}

// Each kind of drive in the table, as the install drive D: (the default) or as E:. A size or
// free space the system does not give (no medium, not connected) or gives as zero (a disc's free
// space) leaves its cell empty, and the install drive's remaining space with it.
struct DriveKindCase {
  const char* what;
  char letter;
  sim::DriveType type;
  bool medium;
  std::uint64_t total;
  std::uint64_t free;
  Row row;  // the drive's row as shown
};

void PrintTo(const DriveKindCase& c, std::ostream* out) { *out << c.what; }

class DriveRowTest : public FolderPageTest, public ::testing::WithParamInterface<DriveKindCase> {};

TEST_P(DriveRowTest, TheDrivesRowShowsWhatTheSystemGivesForIt) {
  const DriveKindCase& c = GetParam();
  MapDrives("CDE");
  Machine().Files().SetDriveSpace(c.letter, c.total, c.free);
  Machine().Files().SetDriveType(c.letter, c.type);
  if (!c.medium) Machine().Files().SetDriveMedium(c.letter, false);
  RunWizard([&] {
    ScriptToFolderPage();
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\")
          << "a listed D: is the default whatever it holds";
      const Rows table = Table();
      ASSERT_EQ(table.size(), 3u);
      EXPECT_EQ(table[c.letter == 'D' ? 1 : 2], c.row);
      EXPECT_EQ(table[0], (Row{"C:\\", "100.0 GB", "50.0 GB", "", ""}));
      EXPECT_EQ(Wizard().DiskGrid->Row(), 1);
    });
  });
}

constexpr std::uint64_t kDisc = 700ull << 20;

INSTANTIATE_TEST_SUITE_P(
    Kinds, DriveRowTest,
    ::testing::Values(DriveKindCase{"fixed",
                                    'D',
                                    sim::DriveType::Fixed,
                                    true,
                                    GB(20),
                                    GB(8),
                                    {"D:\\", "20.0 GB", "8.00 GB", " 12 MB", " 7.98 GB"}},
                      DriveKindCase{"removable with a medium",
                                    'D',
                                    sim::DriveType::Removable,
                                    true,
                                    GB(16),
                                    GB(9.5),
                                    {"D:\\", "16.0 GB", "9.50 GB", " 12 MB", " 9.48 GB"}},
                      DriveKindCase{"removable without a medium",
                                    'D',
                                    sim::DriveType::Removable,
                                    false,
                                    GB(16),
                                    GB(9.5),
                                    {"D:\\", "", "", " 12 MB", ""}},
                      DriveKindCase{"disc drive with a disc",
                                    'D',
                                    sim::DriveType::Optical,
                                    true,
                                    kDisc,
                                    0,
                                    {"D:\\", "0.68 GB", "", " 12 MB", ""}},
                      DriveKindCase{"disc drive without a disc",
                                    'D',
                                    sim::DriveType::Optical,
                                    false,
                                    kDisc,
                                    0,
                                    {"D:\\", "", "", " 12 MB", ""}},
                      DriveKindCase{"network",
                                    'D',
                                    sim::DriveType::Network,
                                    true,
                                    GB(500),
                                    GB(120),
                                    {"D:\\", "500.0 GB", "120.0 GB", " 12 MB", " 120.0 GB"}},
                      DriveKindCase{"network, not connected",
                                    'D',
                                    sim::DriveType::Unavailable,
                                    true,
                                    GB(500),
                                    GB(120),
                                    {"D:\\", "", "", " 12 MB", ""}},
                      DriveKindCase{"E without a medium",
                                    'E',
                                    sim::DriveType::Removable,
                                    false,
                                    GB(16),
                                    GB(9),
                                    {"E:\\", "", "", "", ""}},
                      DriveKindCase{"E with a disc",
                                    'E',
                                    sim::DriveType::Optical,
                                    true,
                                    kDisc,
                                    0,
                                    {"E:\\", "0.68 GB", "", "", ""}}),
    test_names::From(&DriveKindCase::what));

TEST_F(FolderPageTest, RemainingSpaceIsTheShownFreeSpaceLessTheReserve) {
  MapDrives("CD");
  Machine().Files().SetDriveSpace('D', GB(20), GB(0.01));
  RunWizard([&] {
    ScriptToFolderPage();
    Check([&] {
      const Rows table = Table();
      EXPECT_EQ(table[1][2], "0.01 GB");
      EXPECT_EQ(table[1][4], " -0.01 GB");
      EXPECT_EQ(table[1][1], "20.0 GB");
    });
  });
}

class MissingSizeTest : public FolderPageTest {
 protected:
  MissingSizeTest() { ReplaceConfigurationLine("RJSize=12", ""); }
};

TEST_F(MissingSizeTest, AMissingProductSizeLeavesTwoSpacesBeforeMB) {
  MapDrives("CD");
  RunWizard([&] {
    ScriptToFolderPage();
    Check([&] { EXPECT_EQ(Table()[1][3], "  MB"); });
  });
}

struct BrowseCase {
  const char* what;
  const char* drives;
  const char* chosen;  // nullptr: cancelled
  const char* folder;
  bool warned;
};

void PrintTo(const BrowseCase& c, std::ostream* out) { *out << c.what; }

class BrowseTest : public FolderPageTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(BrowseTest, TheChosenFolderBecomesTheInstallFolder) {
  const BrowseCase& c = GetParam();
  MapDrives(c.drives);
  if (c.chosen) std::filesystem::create_directories(HostPath(c.chosen));
  if (c.chosen) {
    Machine().Shell().ScriptFolderChoice(c.chosen);
  } else {
    Machine().Shell().ScriptFolderBrowserCancel();
  }
  RunWizard([&] {
    ScriptToFolderPage();
    User().Click("Button1");
    if (c.warned) {
      User().ExpectMessageDialog(gui::DialogType::Warning,
                                 "不要将Korvello安装到电脑桌面上，避免软件运行异常。\r"
                                 "建议安装到 D盘、E盘、C盘，默认的“Program Files\\”文件夹中。",
                                 gui::dlg::kOk, gui::idOk);
    }
    Check([&] {
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), c.folder);
      EXPECT_EQ(Utf8(Formain->InstallFolder), c.folder);
      const auto openings = Machine().Shell().FolderBrowserOpenings();
      ASSERT_EQ(openings.size(), 1u);
      EXPECT_EQ(Utf8(openings[0].title), Utf8("选择安装路径"));
      EXPECT_EQ(Utf8(openings[0].owner), "FormSchedule");
    });
  });
}

INSTANTIATE_TEST_SUITE_P(
    Choices, BrowseTest,
    ::testing::Values(BrowseCase{"a drive root", "CD", "D:\\", "D:\\Korvl280\\", false},
                      BrowseCase{"a plain folder", "CD", "D:\\Apps", "D:\\Apps\\Korvl280\\", false},
                      BrowseCase{"a Users folder with one drive", "C", "C:\\Users\\me",
                                 "C:\\Program Files\\Korvl280\\", true},
                      BrowseCase{"a Desktop folder with D and E", "CDE", "C:\\Users\\me\\Desktop",
                                 "D:\\Program Files\\Korvl280\\", true},
                      // The proposal is on a drive that is there, never on a missing D:.
                      BrowseCase{"a Desktop folder without D", "CE", "C:\\Users\\me\\Desktop",
                                 "E:\\Program Files\\Korvl280\\", true},
                      BrowseCase{"a Users folder without D or E", "CF", "C:\\Users\\me",
                                 "C:\\Program Files\\Korvl280\\", true},
                      BrowseCase{"cancelled", "CD", nullptr, "D:\\Program Files\\Korvl280\\",
                                 false}),
    test_names::From(&BrowseCase::what));

TEST_F(FolderPageTest, ADoubleClickOnARowPutsItsDriveLetterFirst) {
  MapDrives("CDE");
  RunWizard([&] {
    ScriptToFolderPage();
    User().DoubleClickRow("DiskGrid", 2);
    Check([&] {
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "E:\\Program Files\\Korvl280\\");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "E:\\Program Files\\Korvl280\\");
      EXPECT_EQ(Wizard().DiskGrid->Row(), 2) << "the refresh selects the new install drive";
      EXPECT_EQ(Table()[2][3], " 12 MB");
      EXPECT_EQ(Table()[1][3], "") << "the old install drive's row is cleared";
    });
    User().Type("Edit_Path", "");
    User().DoubleClickRow("DiskGrid", 0);
    Check([&] {
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "C");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "C");
    });
  });
}

TEST_F(FolderPageTest, TypingChangesTheFolderVerbatimAndLeavesTheTable) {
  MapDrives("CDE");
  RunWizard([&] {
    ScriptToFolderPage();
    User().Type("Edit_Path", "E:\\Mine");
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), "E:\\Mine");
      EXPECT_EQ(Wizard().DiskGrid->Row(), 1) << "typing does not refresh the table";
    });
    User().Click("BtnNext").Click("btnpri");
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), "E:\\Mine\\") << "Next takes it as a folder";
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), "E:\\Mine\\") << "Back keeps it";
    });
    User().Click("btnpri").Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\")
          << "entering by Next applies the default again";
    });
  });
}

// A typed folder and what Next makes of it: the folder with its backslash and the confirmation
// page, or a box that says why not, the page and the folder kept as typed.
struct TypedCase {
  const char* what;
  AnsiString typed;
  std::optional<AnsiString> taken;  // nothing: refused
  AnsiString reason;
};

void PrintTo(const TypedCase& c, std::ostream* out) { *out << c.what; }

class TypedFolderTest : public FolderPageTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedFolderTest, NextTakesAFolderTheProductCanGoToAndRefusesAnyOther) {
  const TypedCase& c = GetParam();
  MapDrives("CDE");
  RunWizard([&] {
    ScriptToFolderPage();
    User().Type("Edit_Path", c.typed).Click("BtnNext");
    if (!c.taken) {
      User().ExpectMessageBox(
          sim::Owner::Ref(FormSchedule, "FormSchedule"), "安装路径",
          c.reason + "\r\r请输入有效的安装文件夹，例如 D:\\Program Files\\Korvl280\\", 0x30,
          gui::idOk);
    }
    Check([&] {
      EXPECT_EQ(Page(), c.taken ? 3 : 2);
      EXPECT_EQ(Utf8(Formain->InstallFolder), Utf8(c.taken.value_or(c.typed)));
      EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), Utf8(c.taken.value_or(c.typed)));
    });
  });
}

constexpr const char* kNotAbsolute = "安装文件夹须是以盘符和反斜杠开头的完整路径（如 D:\\）。";

// The shipped test manifest's longest path is Setup.log, 9 characters: with its backslash the
// folder may have 259 - 9 = 250.
const AnsiString kLongFolder = "D:\\" + AnsiString(247, 'k');

INSTANTIATE_TEST_SUITE_P(
    Table, TypedFolderTest,
    ::testing::Values(
        TypedCase{"a folder without its backslash", "D:\\Korvello", AnsiString("D:\\Korvello\\"),
                  ""},
        TypedCase{"a folder with its backslash", "E:\\Korv\\", AnsiString("E:\\Korv\\"), ""},
        // 運 ends in 0x5C and 東 holds 0x7C: neither is a separator nor a forbidden character.
        TypedCase{"second bytes 0x5C and 0x7C", "D:\\軟體\\東運", AnsiString("D:\\軟體\\東運\\"),
                  ""},
        TypedCase{"a relative folder", "Korv\\", std::nullopt, kNotAbsolute},
        TypedCase{"a letter left by a double-click on an empty box", "E", std::nullopt,
                  kNotAbsolute},
        TypedCase{"a drive alone", "D:", std::nullopt, kNotAbsolute},
        TypedCase{"a network path", "\\\\server\\share\\x\\", std::nullopt,
                  "不能安装到网络路径，请选择本机磁盘上的文件夹。"},
        TypedCase{"a bar in a name", "D:\\a|b\\", std::nullopt,
                  "文件夹名不能包含下列字符：< > : \" / | ? * 及控制字符。"},
        TypedCase{"a drive that is not listed", "Q:\\x\\", std::nullopt,
                  "磁盘 Q: 不在本机的磁盘列表中。"},
        TypedCase{"one character too long", kLongFolder, std::nullopt,
                  "安装文件夹太长：加上软件中最长的文件路径，将超过系统允许的 259 个字符。"
                  "安装文件夹最多可有 250 个字符。"},
        TypedCase{"as long as it may be", kLongFolder.substr(0, kLongFolder.size() - 1),
                  kLongFolder.substr(0, kLongFolder.size() - 1) + "\\", ""}),
    test_names::From(&TypedCase::what));

}  // namespace
