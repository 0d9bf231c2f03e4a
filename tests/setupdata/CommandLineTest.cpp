// The switches of an unattended installation as the setup reads them from its command line.
#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/Utf8.h"
#include "setupdata/CommandLine.h"
#include "support/TestNames.h"

namespace {

struct SwitchCase {
  const char* what;
  AnsiString line;
  bool silent;
  bool help;
  std::optional<AnsiString> folder;
  std::optional<AnsiString> log;
  AnsiString unknown;
};

class CommandLineTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(CommandLineTest, ReadsTheSwitches) {
  const SwitchCase& c = GetParam();
  const SetupSwitches switches = ParseSetupSwitches(c.line);
  EXPECT_EQ(switches.silent, c.silent);
  EXPECT_EQ(switches.help, c.help);
  EXPECT_EQ(switches.installFolder.value_or("<none>"), c.folder.value_or("<none>"));
  EXPECT_EQ(switches.logFile.value_or("<none>"), c.log.value_or("<none>"));
  EXPECT_EQ(sim::Utf8(switches.unknown), sim::Utf8(c.unknown));
  EXPECT_EQ(switches.UsageError(), !c.unknown.empty());
}

const std::nullopt_t none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    ::testing::Values(
        SwitchCase{"no switches", "\"C:\\Down loads\\setup.exe\"", false, false, none, none, ""},
        SwitchCase{"the program's name unquoted", "setup.exe   ", false, false, none, none, ""},
        SwitchCase{"silent in any case", "setup.exe /s", true, false, none, none, ""},
        SwitchCase{"a folder with spaces as the rest of the line",
                   "setup.exe /S /D=E:\\Apps\\Korv Test", true, false,
                   AnsiString("E:\\Apps\\Korv Test\\"), none, ""},
        SwitchCase{"a folder keeps its backslash and loses trailing spaces",
                   "setup.exe /d=E:\\Korv\\  ", false, false, AnsiString("E:\\Korv\\"), none, ""},
        SwitchCase{"a quoted folder", "setup.exe /S \"/D=C:\\My Apps\\Korv\"", true, false,
                   AnsiString("C:\\My Apps\\Korv\\"), none, ""},
        SwitchCase{"a Chinese folder", "setup.exe /D=D:\\软件 安装\\科维罗", false, false,
                   AnsiString("D:\\软件 安装\\科维罗\\"), none, ""},
        // 運 ends in the byte of a backslash: the folder still gets its own.
        SwitchCase{"a folder ending in a trail byte", "setup.exe /D=D:\\運", false, false,
                   AnsiString("D:\\運\\"), none, ""},
        // "D:\" would be the drive's root: the folder is left for the check to refuse.
        SwitchCase{"a drive alone gets no backslash", "setup.exe /S /D=D:", true, false,
                   AnsiString("D:"), none, ""},
        SwitchCase{"a log and silent in any order", "setup.exe /LOG=C:\\k.log /S", true, false,
                   none, AnsiString("C:\\k.log"), ""},
        SwitchCase{"a quoted log with spaces", "setup.exe \"/log=C:\\My Logs\\k.log\" /S", true,
                   false, none, AnsiString("C:\\My Logs\\k.log"), ""},
        SwitchCase{"help", "setup.exe /?", false, true, none, none, ""},
        SwitchCase{"help by letter", "setup.exe /h", false, true, none, none, ""},
        SwitchCase{"an unknown switch", "setup.exe /S /X", true, false, none, none, "/X"},
        SwitchCase{"a word without a slash", "setup.exe install", false, false, none, none,
                   "install"},
        SwitchCase{"an empty folder", "setup.exe /S /D=", true, false, none, none, "/D="},
        SwitchCase{"an empty log", "setup.exe /LOG=", false, false, none, none, "/LOG="},
        SwitchCase{"something after a quoted folder", "setup.exe \"/D=C:\\K\" /S", false, false,
                   AnsiString("C:\\K\\"), none, "/S"}),
    test_names::From(&SwitchCase::what));

TEST(SetupUsageTextTest, NamesEverySwitchAndExitCode) {
  const AnsiString text = SetupUsageText();
  for (const char* needle :
       {"/S", "/D=", "/LOG=", "/?", "/H", "0 ", "1 ", "2 ", "3 ", "4 ", "5 ", "6 ", "7 ", "8 "}) {
    EXPECT_NE(text.find(needle), AnsiString::npos) << needle;
  }
}

}  // namespace
