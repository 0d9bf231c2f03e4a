// The rules an install folder must meet, below what the folder page's table of typed folders
// shows: every reason, the path limit at its edge, and the CP936 characters whose second byte is
// a backslash or a bar.
#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/Utf8.h"
#include "setupdata/InstallFolderCheck.h"
#include "support/TestNames.h"

namespace {

constexpr const char* kNetwork = "不能安装到网络路径，请选择本机磁盘上的文件夹。";
constexpr const char* kNotAbsolute = "安装文件夹须是以盘符和反斜杠开头的完整路径（如 D:\\）。";
constexpr const char* kForbidden = "文件夹名不能包含下列字符：< > : \" / | ? * 及控制字符。";
constexpr const char* kInvalid = "文件夹名含有无效的字符。";
constexpr const char* kBadName = "文件夹名不能为空，也不能以空格或句点结尾。";

// 20 characters of a relative path below the folder: the folder itself, with its backslash, may
// have 259 - 20 = 239.
constexpr std::size_t kLongest = 20;

AnsiString Folder(std::size_t characters) {
  return "D:\\" + AnsiString(characters - 4, 'a') + "\\";
}

struct FolderCase {
  const char* what;
  AnsiString folder;
  std::optional<AnsiString> problem;
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.what; }

class InstallFolderCheckTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(InstallFolderCheckTest, SaysWhyAFolderCannotTakeTheProduct) {
  const FolderCase& c = GetParam();
  const auto problem = InstallFolderProblem(c.folder, {'C', 'D', 'E'}, kLongest);
  EXPECT_EQ(sim::Utf8(problem.value_or("<none>")), sim::Utf8(c.problem.value_or("<none>")))
      << sim::Utf8(c.folder);
}

const std::nullopt_t kAccepted = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, InstallFolderCheckTest,
    ::testing::Values(
        FolderCase{"a lower-case drive letter", "d:\\Korv\\", kAccepted},
        FolderCase{"a drive root", "E:\\", kAccepted},
        FolderCase{"names with spaces and dots inside", "D:\\My Apps\\v2.8 Korv\\", kAccepted},
        FolderCase{"a name like a device's but longer", "D:\\CONSOLE\\COM10\\", kAccepted},
        FolderCase{"an empty text", "", AnsiString(kNotAbsolute)},
        FolderCase{"below the current drive's root", "\\Korv\\", AnsiString(kNotAbsolute)},
        FolderCase{"a drive-relative folder", "D:Korv\\", AnsiString(kNotAbsolute)},
        FolderCase{"a device path", "\\\\?\\D:\\Korv\\", AnsiString(kNetwork)},
        FolderCase{"a network path with slashes", "//server/share/", AnsiString(kNetwork)},
        FolderCase{"a colon after the drive", "D:\\a:b\\", AnsiString(kForbidden)},
        FolderCase{"a slash", "D:\\a/b\\", AnsiString(kForbidden)},
        FolderCase{"a control character", "D:\\a\tb\\", AnsiString(kForbidden)},
        FolderCase{"each other forbidden character", "D:\\a*?\"<>\\", AnsiString(kForbidden)},
        FolderCase{"a name ending in a space", "D:\\Korv \\x\\", AnsiString(kBadName)},
        FolderCase{"a last name ending in a dot, no backslash", "D:\\Korv.", AnsiString(kBadName)},
        FolderCase{"a parent reference", "D:\\Korv\\..\\Windows\\", AnsiString(kBadName)},
        FolderCase{"an empty name", "D:\\Korv\\\\x\\", AnsiString(kBadName)},
        FolderCase{"a device name", "D:\\Korv\\con\\",
                   AnsiString("“con”是系统保留的设备名，不能用作文件夹名。")},
        FolderCase{"a device name with an extension", "D:\\LPT1.txt",
                   AnsiString("“LPT1.txt”是系统保留的设备名，不能用作文件夹名。")},
        FolderCase{"a first byte without its second", "D:\\Korv\xB0", AnsiString(kInvalid)},
        FolderCase{"a first byte before a space", "D:\\\xB0 \\", AnsiString(kInvalid)},
        // 運 is DF 5C and 東 is 96 7C: a backslash and a bar as second bytes are no separator
        // and no forbidden character.
        FolderCase{"second bytes 0x5C and 0x7C", "D:\\運東\\東運", kAccepted},
        FolderCase{"at the path limit", Folder(239), kAccepted},
        FolderCase{"at the path limit without its backslash",
                   Folder(239).substr(0, Folder(239).size() - 1), kAccepted},
        FolderCase{"one character over the path limit", Folder(240),
                   AnsiString("安装文件夹太长：加上软件中最长的文件路径，将超过系统允许的 259 "
                              "个字符。安装文件夹最多可有 239 个字符。")},
        // 119 two-byte characters are 119 characters: D:\ + 119 + \ = 123, within the limit
        // though 242 bytes long.
        FolderCase{"two-byte characters count once", "D:\\" + AnsiString(119 * 2, '\xB0') + "\\",
                   kAccepted}),
    test_names::From(&FolderCase::what));

TEST(InstallFolderCheck, OnlyTheListedDrivesCanTakeTheProduct) {
  EXPECT_EQ(InstallFolderProblem("E:\\Korv\\", {'c', 'e'}, kLongest), std::nullopt)
      << "letters are listed in any case";
  EXPECT_EQ(sim::Utf8(InstallFolderProblem("D:\\Korv\\", {'C', 'E'}, kLongest).value_or("")),
            sim::Utf8("磁盘 D: 不在本机的磁盘列表中。"));
  EXPECT_NE(InstallFolderProblem("C:\\Korv\\", {}, kLongest), std::nullopt)
      << "a machine without drives takes no folder";
}

TEST(InstallFolderCheck, TheLongestPathLeavesNoRoomForAnyFolder) {
  EXPECT_NE(InstallFolderProblem("D:\\", {'D'}, kLongestSystemPath), std::nullopt);
  EXPECT_EQ(InstallFolderProblem("D:\\", {'D'}, kLongestSystemPath - 3), std::nullopt);
}

TEST(WithTrailingBackslash, AddsTheBackslashOnlyWhereOneIsMissing) {
  for (const auto& [folder, taken] : std::vector<std::pair<AnsiString, AnsiString>>{
           {"D:\\Korvello", "D:\\Korvello\\"},
           {"D:\\Korvello\\", "D:\\Korvello\\"},
           {"D:\\運", "D:\\運\\"},  // its last byte is 0x5C, the second of 運
           {"D:\\", "D:\\"},
           {"D:", "D:"},
           {"Korv", "Korv\\"},
           {"", ""}}) {
    EXPECT_EQ(sim::Utf8(WithTrailingBackslash(folder)), sim::Utf8(taken)) << sim::Utf8(folder);
  }
}

TEST(LongestInstalledPath, IsTheLongestPathOfTheManifestOrTheMainExecutable) {
  // 软件\图片\运.bmp: 2 + 1 + 2 + 1 + 5 = 11 characters in 16 bytes.
  EXPECT_EQ(LongestInstalledPath({"FileTxt1 txtname ReadMe.txt",
                                  "FileBmp1 bmpname 软件\\图片\\运.bmp", "", "FileExe exename"},
                                 "KORV.exe"),
            11u);
  EXPECT_EQ(LongestInstalledPath({"FileTxt1 txtname a.txt"}, "Korvello Main Program.exe"), 25u);
}

}  // namespace
