// Reading and writing profile strings on the simulated machine, by the rules of
// GetPrivateProfileStringA / WritePrivateProfileStringA. The reading rules themselves are stated
// once, for both back ends, by the contract tests.
#include <string>

#include "platform/IniFile.h"
#include "support/SimTest.h"

namespace {

const AnsiString kIni = "C:\\Setup\\test.ini";

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
  Machine().Files().LockFile(kIni);
  EXPECT_FALSE(platform::WriteProfileString(kIni, "S", "K", "new"));
  EXPECT_EQ(ReadFile(kIni), "[S]\r\nK=old\r\n");
  // Nor can it be read while the other process keeps it.
  EXPECT_EQ(platform::ReadProfileString(kIni, "S", "K", "dflt"), "dflt");
}

}  // namespace
