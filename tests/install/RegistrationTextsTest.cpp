// The texts the run makes from the installation's values: the status line's display path, the
// version shown in the list of installed programs, and the Program Manager commands.
#include <gtest/gtest.h>

#include "install/Registration.h"
#include "install/Unit_sec.h"
#include "platform/sim/Utf8.h"
#include "support/TestNames.h"

namespace {

struct DisplayPathCase {
  const char* what;
  AnsiString folder;
  AnsiString relative;
  AnsiString shown;
};

class DisplayPathTest : public ::testing::TestWithParam<DisplayPathCase> {};

TEST_P(DisplayPathTest, ShortensOnlyTheFolderAndNeverSplitsACharacter) {
  const DisplayPathCase& c = GetParam();
  EXPECT_EQ(sim::Utf8(ShortenedDisplayPath(c.folder, c.relative)), sim::Utf8(c.shown));
}

// D:\Program Files\Korvl280\ is 26 bytes: 19 more fit the 45, 20 do not.
INSTANTIATE_TEST_SUITE_P(
    Table, DisplayPathTest,
    ::testing::Values(
        DisplayPathCase{"forty five bytes whole", "D:\\Program Files\\Korvl280\\",
                        "SdbFile\\Image\\M.BMP",
                        "D:\\Program Files\\Korvl280\\SdbFile\\Image\\M.BMP"},
        DisplayPathCase{"forty six bytes shortened", "D:\\Program Files\\Korvl280\\",
                        "SdbFile\\Image\\Mo.BMP", "D:\\Program Files\\...\\SdbFile\\Image\\Mo.BMP"},
        DisplayPathCase{"a long relative path whole", "D:\\Program Files\\Korvl280\\",
                        "SdbFile\\Image\\Move1.BMP",
                        "D:\\Program Files\\...\\SdbFile\\Image\\Move1.BMP"},
        // "D:\程序文件\" is 12 bytes; 安 takes 13 and 14, 装 15 and 16, 软 17 and 18: cut at 16.
        DisplayPathCase{"a character across the cut", "D:\\程序文件\\安装软件\\Korvello\\",
                        "SdbFile\\Image\\Move1.BMP",
                        "D:\\程序文件\\安装...\\SdbFile\\Image\\Move1.BMP"},
        // "D:\程序\文件\KL" is 15 bytes; 安 takes bytes 16 and 17, so the cut stays at 17.
        DisplayPathCase{"a character ending at the cut", "D:\\程序\\文件\\KL安装\\Korvello\\",
                        "SdbFile\\Image\\Move1.BMP",
                        "D:\\程序\\文件\\KL安...\\SdbFile\\Image\\Move1.BMP"}),
    test_names::From(&DisplayPathCase::what));

TEST(DisplayVersionTest, ReadsTheSerialInTwoDigitComponents) {
  const std::pair<const char*, const char*> cases[] = {{"02080308", "2.8.3.8"},
                                                       {"2080308", "20.80.30.8"},
                                                       {"10203040", "10.20.30.40"},
                                                       {"7", "7"},
                                                       {"00", "0"},
                                                       {"", ""}};
  for (const auto& [serial, shown] : cases) {
    EXPECT_EQ(DisplayVersionOf(serial), shown) << serial;
  }
}

TEST(ProgramManagerCommandTest, QuotesEveryArgumentAndDropsQuotesInside) {
  EXPECT_EQ(
      sim::Utf8(ProgramManagerCommand("creategroup", {"Korvello（标准版）", "Korvello（标准版）"})),
      sim::Utf8("[creategroup(\"Korvello（标准版）\",\"Korvello（标准版）\")]"));
  // A caption with a comma, a bracket and quotes stays one argument.
  EXPECT_EQ(ProgramManagerCommand("additem", {"D:\\K\\KORV.exe", "a\",\"b)][x"}),
            "[additem(\"D:\\K\\KORV.exe\",\"a,b)][x\")]");
}

TEST(ProgramManagerCommandTest, ACommandOverTwoHundredFiftySixBytesIsNotMade) {
  // "[additem(\"" and "\",\"t\")]" are 10 and 7 bytes around the path.
  const AnsiString fits(256 - 17, 'p');
  EXPECT_EQ(ProgramManagerCommand("additem", {fits, "t"}).size(), 256u);
  EXPECT_EQ(ProgramManagerCommand("additem", {fits + "p", "t"}), "");
}

TEST(FolderOfTest, KeepsTheTrailingBackslashAndIgnoresTrailBytes) {
  EXPECT_EQ(FolderOf("D:\\Program Files\\Korvl280\\KORV.exe"), "D:\\Program Files\\Korvl280\\");
  EXPECT_EQ(FolderOf("D:\\Korvl\\bin\\K.exe"), "D:\\Korvl\\bin\\");
  // 運 ends in the byte of a backslash: it is no separator.
  EXPECT_EQ(sim::Utf8(FolderOf("D:\\運\\運行.exe")), sim::Utf8("D:\\運\\"));
  EXPECT_EQ(FolderOf("KORV.exe"), "");
}

}  // namespace
