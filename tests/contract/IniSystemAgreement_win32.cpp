// The program's profile-string reader against the system's own. The program reads INI files by
// itself so that code page 936 bytes read the same on every system; where the system's code
// page is 936 (Wine in zh_CN) GetPrivateProfileStringA reads them with that code page too, and
// both must give the same bytes. Elsewhere the system decodes with another code page and there
// is nothing to compare.
#include <ostream>
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/win32/WindowsApi.h"
#include "support/TestNames.h"

namespace contract {
namespace {

// What the system's reader gives with the program's former 2048-byte buffer.
AnsiString SystemRead(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                      const AnsiString& defaultValue) {
  char buffer[2048];
  const DWORD length = ::GetPrivateProfileStringA(
      section.c_str(), key.c_str(), defaultValue.c_str(), buffer, sizeof(buffer), file.c_str());
  return AnsiString(buffer, length);
}

class SystemAgreement : public ContractTest {
 protected:
  void SetUp() override {
    if (::GetACP() != 936) {
      GTEST_SKIP() << "the system's code page is " << ::GetACP()
                   << ", so its reader does not read code page 936 files";
    }
  }

  AnsiString PutFile(const AnsiString& name, const std::string& content) const {
    const AnsiString file = Scratch(name);
    platform::WriteWholeFile(file, content.data(), content.size());
    return file;
  }
};

// A configuration as the product's are written: CR LF lines, Chinese text, blanks and quotes.
const std::string kSetupIni =
    "[Form]\r\n"
    "Caption=Korvellov2.8.3.8（标准版-k）\r\n"
    "  Serial  =  2838  \r\n"
    "Tabbed\t=\tvalue\t\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Inner=a \"b\" c\r\n"
    "Mixed=\"x'\r\n"
    "Semicolon=value ; not a comment\r\n"
    "Empty=\r\n"
    "Bare\r\n"
    ";Hidden=yes\r\n"
    "Path=D:\\Program Files\\運行\\Korvl280\r\n"
    "目录=中文键\r\n"
    "\r\n"
    "[Run]\r\n"
    "FileName=Korv.exe\r\n"
    "FILENAME=second key\r\n"
    "Equals=a=b\r\n"
    "[RUN]\r\n"
    "FileName=second section\r\n"
    "Only=in the second section\r\n"
    "[中文节]\r\n"
    "Key=值\r\n"
    "  [ Spaced ]  \r\n"
    "Key=spaced section\r\n"
    "[Long]\r\n"
    "Value=" +
    std::string(3000, 'v') + "\r\n";

const std::string kUnixIni = "[Unix]\nKey=lf only\nLast=中文\n";
const std::string kUnterminatedIni = "[S]\r\nFirst=1\r\nLast=no line break";

struct ReadCase {
  const char* what;
  const std::string* content;  // nullptr: no file at all
  AnsiString section;
  AnsiString key;
  AnsiString defaultValue;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }

class ReadAgreement : public SystemAgreement, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadAgreement, TheProgramReadsWhatTheSystemReads) {
  const ReadCase& c = GetParam();
  const AnsiString file = c.content ? PutFile("agree.ini", *c.content) : Scratch("none.ini");
  const AnsiString system = SystemRead(file, c.section, c.key, c.defaultValue);
  const AnsiString program = platform::ReadProfileString(file, c.section, c.key, c.defaultValue);
  EXPECT_EQ(Readable(program), Readable(system)) << c.what;
  EXPECT_EQ(program.size(), system.size()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadAgreement,
    ::testing::Values(
        ReadCase{"a caption with Chinese punctuation", &kSetupIni, "Form", "Caption", "d"},
        ReadCase{"names without regard to case", &kSetupIni, "fORM", "CAPTION", "d"},
        ReadCase{"spaces around key and value", &kSetupIni, "Form", "Serial", "d"},
        ReadCase{"tabs around key and value", &kSetupIni, "Form", "Tabbed", "d"},
        ReadCase{"matching double quotes", &kSetupIni, "Form", "Quoted", "d"},
        ReadCase{"matching single quotes", &kSetupIni, "Form", "Single", "d"},
        ReadCase{"quotes inside the value", &kSetupIni, "Form", "Inner", "d"},
        ReadCase{"unmatched quotes", &kSetupIni, "Form", "Mixed", "d"},
        ReadCase{"a semicolon inside a value", &kSetupIni, "Form", "Semicolon", "d"},
        ReadCase{"an empty value", &kSetupIni, "Form", "Empty", "d"},
        ReadCase{"a key without '='", &kSetupIni, "Form", "Bare", "d"},
        ReadCase{"a line starting with ';'", &kSetupIni, "Form", ";Hidden", "d"},
        ReadCase{"the key behind the ';'", &kSetupIni, "Form", "Hidden", "d"},
        ReadCase{"trail bytes 0x5C in a path", &kSetupIni, "Form", "Path", "d"},
        ReadCase{"a Chinese key", &kSetupIni, "Form", "目录", "d"},
        ReadCase{"a Chinese section", &kSetupIni, "中文节", "Key", "d"},
        ReadCase{"a section name with blanks around it", &kSetupIni, "Spaced", "Key", "d"},
        ReadCase{"the first of two equal keys", &kSetupIni, "Run", "filename", "d"},
        ReadCase{"only the first '=' separates", &kSetupIni, "Run", "Equals", "d"},
        ReadCase{"a later section of the same name", &kSetupIni, "Run", "Only", "dflt"},
        // Not a long Chinese value: where the cut falls inside a character, the system's
        // reader counts 2047 bytes but leaves the last one undefined.
        ReadCase{"a value of 3000 bytes", &kSetupIni, "Long", "Value", "d"},
        ReadCase{"a missing section", &kSetupIni, "Nowhere", "Caption", "dflt"},
        ReadCase{"a missing key", &kSetupIni, "Form", "Nothing", "dflt"},
        ReadCase{"trailing blanks of the default", &kSetupIni, "Form", "Nothing", "dflt \t "},
        ReadCase{"a Chinese default", &kSetupIni, "Form", "Nothing", "默认值"},
        ReadCase{"a default of 3000 bytes", &kSetupIni, "Form", "Nothing", std::string(3000, 'v')},
        ReadCase{"lines ending in LF alone", &kUnixIni, "Unix", "Key", "d"},
        ReadCase{"the last line ending in LF", &kUnixIni, "Unix", "Last", "d"},
        ReadCase{"a last line without a line break", &kUnterminatedIni, "S", "Last", "d"},
        ReadCase{"a missing file", nullptr, "Form", "Caption", "dflt"}),
    test_names::From(&ReadCase::what));

// What the program writes, the system reads as the program does.
TEST_F(SystemAgreement, TheSystemReadsWhatTheProgramWrote) {
  const AnsiString file =
      PutFile("written.ini", "[Option]\r\nLang=中文\r\nReset=1\r\n[Other]\r\nA=1");
  ASSERT_TRUE(platform::WriteProfileString(file, "option", "Reset", "安装 88"));
  ASSERT_TRUE(platform::WriteProfileString(file, "Option", "Size", "3"));
  ASSERT_TRUE(platform::WriteProfileString(file, "新节", "路径", "C:\\Program Files\\運行"));

  struct Expected {
    AnsiString section;
    AnsiString key;
    AnsiString value;
  };
  const std::vector<Expected> table = {{"Option", "Reset", "安装 88"},
                                       {"Option", "Lang", "中文"},
                                       {"Option", "Size", "3"},
                                       {"Other", "A", "1"},
                                       {"新节", "路径", "C:\\Program Files\\運行"},
                                       {"Other", "Reset", "d"}};
  for (const Expected& e : table) {
    const std::string where = Readable("[" + e.section + "] " + e.key);
    EXPECT_EQ(Readable(SystemRead(file, e.section, e.key, "d")), Readable(e.value)) << where;
    EXPECT_EQ(Readable(platform::ReadProfileString(file, e.section, e.key, "d")), Readable(e.value))
        << where;
  }

  const AnsiString created = Scratch("新文件.ini");
  ASSERT_TRUE(platform::WriteProfileString(created, "Option", "Reset", "88"));
  EXPECT_EQ(SystemRead(created, "Option", "Reset", "d"), "88");
}

}  // namespace
}  // namespace contract
