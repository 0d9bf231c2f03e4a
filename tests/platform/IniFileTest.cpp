// Reading and writing profile strings on the simulated machine, by the rules of
// GetPrivateProfileStringA / WritePrivateProfileStringA.
#include <ostream>
#include <string>

#include "platform/IniFile.h"
#include "support/SimTest.h"

namespace {

const AnsiString kIni = "C:\\Setup\\test.ini";

const char kContent[] =
    "; comment line\r\n"
    "[Form]\r\n"
    "Caption=Korvello 安装程序\r\n"
    "  Serial  =  2838  \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "Inner=a \"b\" c\r\n"
    "Empty=\r\n"
    ";Hidden=yes\r\n"
    "Path=D:\\Program Files\\Korvl280\r\n"
    "[Run]\r\n"
    "FileName=Korv.exe\r\n"
    "FILENAME=second key\r\n"
    "Equals=a=b\r\n"
    "[RUN]\r\n"
    "FileName=second section\r\n"
    "[Unix]\n"
    "Key=lf only\n";

struct ReadCase {
  const char* what;
  AnsiString section;
  AnsiString key;
  AnsiString defaultValue;
  AnsiString expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }

class IniReadTest : public SimTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, FollowsTheProfileStringRules) {
  WriteFile(kIni, kContent);
  const ReadCase& c = GetParam();
  EXPECT_EQ(Utf8(platform::ReadProfileString(kIni, c.section, c.key, c.defaultValue)),
            Utf8(c.expected))
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadTest,
    ::testing::Values(
        ReadCase{"plain value with CP936 text", "Form", "Caption", "d", "Korvello 安装程序"},
        ReadCase{"section and key ignore case", "fORM", "CAPTION", "d", "Korvello 安装程序"},
        ReadCase{"spaces around key and value are trimmed", "Form", "Serial", "d", "2838"},
        ReadCase{"matching double quotes are removed, inner spaces kept", "Form", "Quoted", "d",
                 "  padded  "},
        ReadCase{"matching single quotes are removed", "Form", "Single", "d", "x"},
        ReadCase{"unmatched quotes stay", "Form", "Mixed", "d", "\"x'"},
        ReadCase{"quotes inside the value stay", "Form", "Inner", "d", "a \"b\" c"},
        ReadCase{"an empty value is a value, not the default", "Form", "Empty", "d", ""},
        ReadCase{"a commented-out key does not exist", "Form", ";Hidden", "d", "d"},
        ReadCase{"backslashes are plain bytes", "Form", "Path", "d", "D:\\Program Files\\Korvl280"},
        ReadCase{"the first of two equal keys wins", "Run", "filename", "d", "Korv.exe"},
        ReadCase{"only the first '=' separates key and value", "Run", "Equals", "d", "a=b"},
        ReadCase{"lines ending in LF alone", "Unix", "Key", "d", "lf only"},
        ReadCase{"missing section gives the default", "Nowhere", "Caption", "dflt", "dflt"},
        ReadCase{"missing key gives the default", "Form", "Nothing", "dflt", "dflt"},
        ReadCase{"a key of another section is not found", "Unix", "Caption", "dflt", "dflt"},
        ReadCase{"trailing blanks of the default are stripped", "Form", "Nothing", "dflt  ",
                 "dflt"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
      return "Case" + std::to_string(info.index);
    });

class IniTest : public SimTest {};

TEST_F(IniTest, MissingFileOrFolderGivesTheDefault) {
  EXPECT_EQ(platform::ReadProfileString("C:\\Setup\\none.ini", "Form", "Caption", "d"), "d");
  EXPECT_EQ(platform::ReadProfileString("Q:\\unmapped.ini", "Form", "Caption", ""), "");
}

TEST_F(IniTest, ValuesAndDefaultsAreCutTo2047Bytes) {
  const std::string longValue(3000, 'v');
  const std::string exact(2047, 'e');
  WriteFile(kIni, "[S]\r\nLong=" + longValue + "\r\nExact=" + exact + "\r\nQuoted=\"" +
                      std::string(2047, 'q') + "\"\r\n");
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "Long", ""), std::string(2047, 'v'));
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "Exact", ""), exact);
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "Quoted", ""), std::string(2047, 'q'));
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "Missing", longValue), std::string(2047, 'v'));
}

TEST_F(IniTest, EveryReadSeesTheCurrentFile) {
  WriteFile(kIni, "[S]\r\nK=one\r\n");
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "K", ""), "one");
  WriteFile(kIni, "[S]\r\nK=two\r\n");
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "K", ""), "two");
}

TEST_F(IniTest, WriteCreatesTheFileWithSectionAndKey) {
  ASSERT_TRUE(platform::WriteProfileString("C:\\Options.ini", "Option", "Reset", "88"));
  EXPECT_EQ(ReadFile("C:\\Options.ini"), "[Option]\r\nReset=88\r\n");
  EXPECT_EQ(platform::ReadProfileString("C:\\Options.ini", "option", "reset", ""), "88");
}

TEST_F(IniTest, WriteReplacesAnExistingValueAndKeepsEverythingElse) {
  WriteFile(kIni,
            "; keep me\r\n[Option]\r\nLang=zh\r\n  Reset = 1 \r\nSize=3\r\n[Other]\r\nReset=5\r\n");
  ASSERT_TRUE(platform::WriteProfileString(kIni, "OPTION", "reset", "88"));
  EXPECT_EQ(ReadFile(kIni),
            "; keep me\r\n[Option]\r\nLang=zh\r\nReset=88\r\nSize=3\r\n[Other]\r\nReset=5\r\n");
}

TEST_F(IniTest, WriteAddsAKeyAtTheEndOfItsSection) {
  WriteFile(kIni, "[Option]\r\nLang=zh\r\n\r\n[Other]\r\nA=1");
  ASSERT_TRUE(platform::WriteProfileString(kIni, "Option", "Reset", "88"));
  ASSERT_TRUE(platform::WriteProfileString(kIni, "Other", "B", "2"));
  EXPECT_EQ(ReadFile(kIni), "[Option]\r\nLang=zh\r\nReset=88\r\n\r\n[Other]\r\nA=1\r\nB=2\r\n");
}

TEST_F(IniTest, WriteAddsAMissingSectionAtTheEnd) {
  WriteFile(kIni, "[Option]\r\nLang=zh");
  ASSERT_TRUE(platform::WriteProfileString(kIni, "New", "Key", "v"));
  EXPECT_EQ(ReadFile(kIni), "[Option]\r\nLang=zh\r\n[New]\r\nKey=v\r\n");
}

TEST_F(IniTest, WriteFailsWhenTheFileCannotBeWritten) {
  EXPECT_FALSE(platform::WriteProfileString("C:\\No\\Such\\Folder\\x.ini", "S", "K", "v"));
  EXPECT_FALSE(platform::WriteProfileString("C:\\WINDOWS", "S", "K", "v"));
  WriteFile(kIni, "[S]\r\nK=old\r\n");
  Machine().LockFile(kIni);
  EXPECT_FALSE(platform::WriteProfileString(kIni, "S", "K", "new"));
  EXPECT_EQ(ReadFile(kIni), "[S]\r\nK=old\r\n");
  // Nor can it be read while the other process keeps it.
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "K", "dflt"), "dflt");
}

}  // namespace
