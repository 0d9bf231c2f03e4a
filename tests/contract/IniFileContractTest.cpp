// The profile-string contract: how GetPrivateProfileStringA reads a file and how
// WritePrivateProfileStringA changes one, as the program relies on it.
#include <ostream>
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "support/TestNames.h"

namespace contract {
namespace {

const std::string kLongValue(3000, 'v');

// CRLF lines, as the product's configuration files are written.
const std::string kContent =
    "; a comment line\r\n"
    "[Form]\r\n"
    "Caption=Korvello 安装程序\r\n"
    "  Serial  =  2838  \r\n"
    "Tabbed\t=\tvalue\t\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Inner=a \"b\" c\r\n"
    "Mixed=\"x'\r\n"
    "Semicolon=value ; not a comment\r\n"
    "Empty=\r\n"
    ";Hidden=yes\r\n"
    "Path=D:\\Program Files\\運行\\Korvl280\r\n"
    "目录=中文键\r\n"
    "[Run]\r\n"
    "FileName=Korv.exe\r\n"
    "FILENAME=second key\r\n"
    "Equals=a=b\r\n"
    "[RUN]\r\n"
    "FileName=second section\r\n"
    "Only=in the second section\r\n"
    "[中文节]\r\n"
    "Key=值\r\n"
    "[Long]\r\n"
    "Value=" +
    kLongValue + "\r\n" +
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

class IniReadContract : public ContractTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadContract, ReadsByTheProfileStringRules) {
  const AnsiString file = Scratch("read.ini");
  platform::WriteWholeFile(file, kContent.data(), kContent.size());
  const ReadCase& c = GetParam();
  const AnsiString value = platform::ReadProfileString(file, c.section, c.key, c.defaultValue);
  EXPECT_EQ(value.size(), c.expected.size()) << c.what;
  EXPECT_EQ(Readable(value), Readable(c.expected)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadContract,
    ::testing::Values(
        ReadCase{"a plain value keeps its CP936 bytes", "Form", "Caption", "d",
                 "Korvello 安装程序"},
        ReadCase{"section and key names ignore case", "fORM", "CAPTION", "d", "Korvello 安装程序"},
        ReadCase{"spaces around key and value are trimmed", "Form", "Serial", "d", "2838"},
        ReadCase{"tabs around key and value are trimmed", "Form", "Tabbed", "d", "value"},
        ReadCase{"matching double quotes are removed, the spaces inside kept", "Form", "Quoted",
                 "d", "  padded  "},
        ReadCase{"matching single quotes are removed", "Form", "Single", "d", "x"},
        ReadCase{"quotes inside the value stay", "Form", "Inner", "d", "a \"b\" c"},
        ReadCase{"unmatched quotes stay", "Form", "Mixed", "d", "\"x'"},
        ReadCase{"a semicolon inside a value is part of it", "Form", "Semicolon", "d",
                 "value ; not a comment"},
        ReadCase{"an empty value is a value, not the default", "Form", "Empty", "d", ""},
        ReadCase{"backslashes and trail bytes 0x5C are plain bytes", "Form", "Path", "d",
                 "D:\\Program Files\\運行\\Korvl280"},
        ReadCase{"a CP936 key name", "Form", "目录", "d", "中文键"},
        ReadCase{"a CP936 section name", "中文节", "key", "d", "值"},
        ReadCase{"the first of two equal keys wins", "Run", "filename", "d", "Korv.exe"},
        ReadCase{"only the first '=' separates key and value", "Run", "Equals", "d", "a=b"},
        ReadCase{"a later section of the same name is not read", "Run", "Only", "dflt", "dflt"},
        ReadCase{"a value of 3000 bytes is cut to 2047", "Long", "Value", "d",
                 std::string(2047, 'v')},
        ReadCase{"a missing section gives the default", "Nowhere", "Caption", "dflt", "dflt"},
        ReadCase{"a missing key gives the default", "Form", "Nothing", "dflt", "dflt"},
        ReadCase{"a ';' line is no comment: it is a key with ';' in its name", "Form", ";Hidden",
                 "d", "yes"},
        ReadCase{"so the key without the ';' does not exist", "Form", "Hidden", "d", "d"},
        ReadCase{"lines ending in LF alone", "Unix", "Key", "d", "lf only"},
        ReadCase{"a key of another section is not found", "Run", "Caption", "dflt", "dflt"},
        ReadCase{"trailing blanks of the default are dropped", "Form", "Nothing", "dflt  ", "dflt"},
        ReadCase{"a default of 3000 bytes is cut to 2047", "Form", "Nothing", kLongValue,
                 std::string(2047, 'v')}),
    test_names::From(&ReadCase::what));

using IniContract = ContractTest;

TEST_F(IniContract, AMissingFileOrFolderGivesTheDefault) {
  EXPECT_EQ(platform::ReadProfileString(Scratch("none.ini"), "Form", "Caption", "d"), "d");
  EXPECT_EQ(platform::ReadProfileString(Scratch("No\\Folder\\none.ini"), "Form", "Caption", ""),
            "");
}

TEST_F(IniContract, EveryReadSeesTheFileAsItIsNow) {
  const AnsiString file = Scratch("changing.ini");
  const std::string first = "[S]\r\nK=one\r\n";
  const std::string second = "[S]\r\nK=two, longer\r\n";
  platform::WriteWholeFile(file, first.data(), first.size());
  EXPECT_EQ(platform::ReadProfileString(file, "S", "K", ""), "one");
  platform::WriteWholeFile(file, second.data(), second.size());
  EXPECT_EQ(platform::ReadProfileString(file, "S", "K", ""), "two, longer");
}

// Lines of text without their CRLF or LF ends.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& wanted) {
  for (const std::string& line : LinesOf(text)) {
    if (line == wanted) return true;
  }
  return false;
}

TEST_F(IniContract, WritingCreatesTheFileWithItsSectionAndKey) {
  const AnsiString file = Scratch("Options.ini");
  ASSERT_TRUE(platform::WriteProfileString(file, "Option", "Reset", "88"));
  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_EQ(platform::ReadProfileString(file, "option", "RESET", "d"), "88");
  const std::string text = platform::ReadWholeFile(file);
  EXPECT_TRUE(HasLine(text, "[Option]")) << text;
  EXPECT_TRUE(HasLine(text, "Reset=88")) << text;
}

TEST_F(IniContract, WritingReplacesAValueAndKeepsTheOtherLines) {
  const AnsiString file = Scratch("Setup.ini");
  const std::string before =
      "; keep me\r\n"
      "[Option]\r\n"
      "Lang=中文\r\n"
      "Reset=1\r\n"
      "Size=3\r\n"
      "[Other]\r\n"
      "Reset=5\r\n";
  platform::WriteWholeFile(file, before.data(), before.size());

  ASSERT_TRUE(platform::WriteProfileString(file, "OPTION", "reset", "安装 88"));
  EXPECT_EQ(Readable(platform::ReadProfileString(file, "Option", "Reset", "d")),
            Readable("安装 88"));
  EXPECT_EQ(Readable(platform::ReadProfileString(file, "Option", "Lang", "d")), Readable("中文"));
  EXPECT_EQ(platform::ReadProfileString(file, "Option", "Size", "d"), "3");
  EXPECT_EQ(platform::ReadProfileString(file, "Other", "Reset", "d"), "5");

  const std::string after = platform::ReadWholeFile(file);
  for (const char* kept : {"; keep me", "[Option]", "Lang=中文", "Size=3", "[Other]", "Reset=5"}) {
    EXPECT_TRUE(HasLine(after, kept)) << Readable(kept) << " is gone from:\n" << Readable(after);
  }
  EXPECT_FALSE(HasLine(after, "Reset=1")) << Readable(after);
}

TEST_F(IniContract, WritingAddsAKeyToItsSectionAndAMissingSection) {
  const AnsiString file = Scratch("Add.ini");
  const std::string before = "[Option]\r\nLang=zh\r\n[Other]\r\nA=1\r\n";
  platform::WriteWholeFile(file, before.data(), before.size());

  ASSERT_TRUE(platform::WriteProfileString(file, "option", "Reset", "88"));
  ASSERT_TRUE(platform::WriteProfileString(file, "New", "Key", "v"));
  EXPECT_EQ(platform::ReadProfileString(file, "Option", "Reset", "d"), "88");
  EXPECT_EQ(platform::ReadProfileString(file, "Other", "Reset", "d"), "d")
      << "the key went into the section it was written to";
  EXPECT_EQ(platform::ReadProfileString(file, "New", "Key", "d"), "v");
  EXPECT_EQ(platform::ReadProfileString(file, "Option", "Lang", "d"), "zh");
  EXPECT_EQ(platform::ReadProfileString(file, "Other", "A", "d"), "1");
}

TEST_F(IniContract, WritingIntoAMissingFolderFails) {
  EXPECT_FALSE(platform::WriteProfileString(Scratch("No\\Such\\x.ini"), "S", "K", "v"));
  EXPECT_FALSE(platform::DirectoryExists(Scratch("No")));
}

}  // namespace
}  // namespace contract
