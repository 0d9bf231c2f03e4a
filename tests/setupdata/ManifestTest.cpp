// How manifest lines are cut into entry name, entry type and install path.
#include <gtest/gtest.h>

#include "setupdata/Manifest.h"
#include "support/TestNames.h"

namespace {

struct SplitCase {
  const char* what;
  const char* line;
  const char* name;
  const char* type;
  const char* path;
};

const SplitCase kSplitCases[] = {
    {"regular line", "FileExe exename KORV.exe", "FileExe", "exename", "KORV.exe"},
    {"path with subfolders", "SdbFileDB8a DBname8 SdbFile\\Image\\Move1.BMP", "SdbFileDB8a",
     "DBname8", "SdbFile\\Image\\Move1.BMP"},
    {"path keeps its own spaces", "name3a name3 UserFile\\My Docs\\a b.Orv", "name3a", "name3",
     "UserFile\\My Docs\\a b.Orv"},
    {"four words: path is everything after the second space", "A B C D", "A", "B", "C D"},
    {"doubled space gives an empty type and shifts the path", "FileExe  exename KORV.exe",
     "FileExe", "", "exename KORV.exe"},
    {"no second space: type to the end, empty path", "FileExe exename", "FileExe", "exename", ""},
    {"no space at all: the whole line is the name", "FileExe", "FileExe", "", ""},
    {"trailing space: empty path", "FileExe exename ", "FileExe", "exename", ""},
    {"Chinese path", "FileTxt4 txtname 用户授权协议.txt", "FileTxt4", "txtname",
     "用户授权协议.txt"},
    {"empty line", "", "", "", ""},
};

void PrintTo(const SplitCase& c, std::ostream* out) {
  *out << c.what << ": " << ::testing::PrintToString(c.line);
}

class ManifestSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ManifestSplit, CutsNameTypeAndPathByBytes) {
  const SplitCase& c = GetParam();
  const ManifestLine line = SplitManifestLine(c.line);
  EXPECT_EQ(line.name, c.name);
  EXPECT_EQ(line.type, c.type);
  EXPECT_EQ(line.path, c.path);
}

INSTANTIATE_TEST_SUITE_P(Lines, ManifestSplit, ::testing::ValuesIn(kSplitCases),
                         test_names::From(&SplitCase::what));

TEST(ManifestFolderPart, TakesEverythingBeforeTheLastRealBackslash) {
  EXPECT_EQ(ManifestFolderPart("KORV.exe"), "");
  EXPECT_EQ(ManifestFolderPart("CYLib\\CYBaseM.dat"), "CYLib");
  EXPECT_EQ(ManifestFolderPart("SdbFile\\Image\\Move1.BMP"), "SdbFile\\Image");
}

TEST(ManifestFolderPart, TrailByte5CIsNotAFolderSeparator) {
  // "俓" is 0x81 0x5C in CP936: its second byte is a backslash byte.
  const AnsiString withTrail5C = "UserFile\\俓.Orv";
  ASSERT_EQ(static_cast<unsigned char>(withTrail5C[10]), 0x5C);
  EXPECT_EQ(ManifestFolderPart(withTrail5C), "UserFile");
  EXPECT_EQ(ManifestFolderPart("俓.Orv"), "");

  const ManifestLine line = SplitManifestLine("name1a name1 UserFile\\俓\\a.Orv");
  EXPECT_EQ(line.path, "UserFile\\俓\\a.Orv");
  EXPECT_EQ(ManifestFolderPart(line.path), "UserFile\\俓");
}

}  // namespace
