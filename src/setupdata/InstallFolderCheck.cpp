#include "setupdata/InstallFolderCheck.h"

#include <algorithm>
#include <cstring>

#include "setupdata/Manifest.h"

namespace {

constexpr const char* kNetworkPath = "不能安装到网络路径，请选择本机磁盘上的文件夹。";
constexpr const char* kNotAbsolute = "安装文件夹须是以盘符和反斜杠开头的完整路径（如 D:\\）。";
constexpr const char* kDriveNotListed = "磁盘 %c: 不在本机的磁盘列表中。";
constexpr const char* kForbiddenCharacter =
    "文件夹名不能包含下列字符：< > : \" / | ? * 及控制字符。";
constexpr const char* kInvalidCharacter = "文件夹名含有无效的字符。";
constexpr const char* kBadName = "文件夹名不能为空，也不能以空格或句点结尾。";
constexpr const char* kDeviceName = "“%s”是系统保留的设备名，不能用作文件夹名。";
constexpr const char* kTooLong =
    "安装文件夹太长：加上软件中最长的文件路径，将超过系统允许的 %u 个字符。"
    "安装文件夹最多可有 %u 个字符。";

constexpr const char* kForbiddenInNames = "<>:\"/|?*";
constexpr const char* kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// "X:" alone: the drive's current folder, not a folder of its own.
bool IsDriveAlone(const AnsiString& folder) {
  return folder.size() == 2 && IsDriveLetter(folder[0]) && folder[1] == ':';
}

bool EndsWithBackslash(const AnsiString& folder) {
  return !folder.empty() && LastDelimiter(folder, "\\") == folder.size() - 1;
}

// The second byte of a two-byte CP936 character.
bool IsTrailByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

bool IsListed(char drive, const std::vector<char>& listedDrives) {
  return std::any_of(listedDrives.begin(), listedDrives.end(),
                     [drive](char listed) { return UpperAscii(listed) == UpperAscii(drive); });
}

// A device name, with or without an extension ("NUL", "con.txt"), in any case.
bool IsDeviceName(const AnsiString& name) {
  AnsiString base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return std::any_of(std::begin(kDeviceNames), std::end(kDeviceNames),
                     [&base](const char* device) { return SameTextAscii(base, device); });
}

std::optional<AnsiString> NameProblem(const AnsiString& name) {
  if (name.empty() || name.back() == ' ' || name.back() == '.') return AnsiString(kBadName);
  if (IsDeviceName(name)) return Format(kDeviceName, name.c_str());
  return std::nullopt;
}

// The names below the drive's root ("a\b\" after "D:\"), each checked character by character;
// a two-byte character's second byte may be 0x5C or 0x7C and is part of the name.
std::optional<AnsiString> NamesProblem(const AnsiString& names) {
  AnsiString name;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const char c = names[i];
    if (IsLeadByte(c)) {
      if (i + 1 == names.size() || !IsTrailByte(names[i + 1])) return AnsiString(kInvalidCharacter);
      name += names.substr(i, 2);
      ++i;
    } else if (c == '\\') {
      if (auto problem = NameProblem(name)) return problem;
      name.clear();
    } else if (static_cast<unsigned char>(c) < 0x20 || std::strchr(kForbiddenInNames, c)) {
      return AnsiString(kForbiddenCharacter);
    } else if (static_cast<unsigned char>(c) == 0xFF) {
      return AnsiString(kInvalidCharacter);
    } else {
      name += c;
    }
  }
  // A folder without its final backslash ends with a name of its own.
  if (!name.empty()) return NameProblem(name);
  return std::nullopt;
}

}  // namespace

AnsiString WithTrailingBackslash(const AnsiString& folder) {
  if (folder.empty() || IsDriveAlone(folder) || EndsWithBackslash(folder)) return folder;
  return folder + '\\';
}

std::size_t PathCharacters(const AnsiString& path) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < path.size(); ++i, ++characters) {
    if (IsLeadByte(path[i]) && i + 1 < path.size()) ++i;
  }
  return characters;
}

std::size_t LongestInstalledPath(const std::vector<AnsiString>& manifestLines,
                                 const AnsiString& mainExecutable) {
  std::size_t longest = PathCharacters(mainExecutable);
  for (const AnsiString& line : manifestLines) {
    longest = std::max(longest, PathCharacters(SplitManifestLine(line).path));
  }
  return longest;
}

std::optional<AnsiString> InstallFolderProblem(const AnsiString& folder,
                                               const std::vector<char>& listedDrives,
                                               std::size_t longestRelativePath) {
  // "\\server\share\", and the device paths "\\?\" and "\\.\".
  if (folder.size() >= 2 && (folder[0] == '\\' || folder[0] == '/') &&
      (folder[1] == '\\' || folder[1] == '/')) {
    return AnsiString(kNetworkPath);
  }
  if (folder.size() < 3 || !IsDriveLetter(folder[0]) || folder[1] != ':' || folder[2] != '\\') {
    return AnsiString(kNotAbsolute);
  }
  if (!IsListed(folder[0], listedDrives)) return Format(kDriveNotListed, UpperAscii(folder[0]));
  if (auto problem = NamesProblem(folder.substr(3))) return problem;
  const std::size_t length = PathCharacters(WithTrailingBackslash(folder));
  if (length + longestRelativePath > kLongestSystemPath) {
    const std::size_t room =
        longestRelativePath < kLongestSystemPath ? kLongestSystemPath - longestRelativePath : 0;
    return Format(kTooLong, static_cast<unsigned>(kLongestSystemPath), static_cast<unsigned>(room));
  }
  return std::nullopt;
}
