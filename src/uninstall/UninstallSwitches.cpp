#include "uninstall/UninstallSwitches.h"

#include <cctype>
#include <vector>

namespace {

bool StartsWithNoCase(const AnsiString& text, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

// The words of the line: quoted ones without their quotes. Code page 936 trail bytes are never a
// space or a quote, so the line is read byte by byte.
std::vector<AnsiString> Words(const AnsiString& line) {
  std::vector<AnsiString> words;
  std::size_t at = 0;
  for (;;) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) return words;
    AnsiString word;
    bool quoted = false;
    for (; at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t')); ++at) {
      if (line[at] == '"')
        quoted = !quoted;
      else
        word += line[at];
    }
    words.push_back(word);
  }
}

std::optional<std::uint32_t> ProcessIdOf(const AnsiString& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::uint32_t id = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return id;
}

}  // namespace

UninstallSwitches ParseUninstallSwitches(const AnsiString& commandLine) {
  UninstallSwitches switches;
  const std::vector<AnsiString> words = Words(commandLine);
  for (std::size_t index = 1; index < words.size(); ++index) {
    const AnsiString& word = words[index];
    if (word.size() == 2 && StartsWithNoCase(word, "/S")) {
      switches.silent = true;
    } else if (word == "/?" || (word.size() == 2 && StartsWithNoCase(word, "/H"))) {
      switches.help = true;
    } else if (StartsWithNoCase(word, "/LOG=") && word.size() > 5) {
      switches.logFile = word.substr(5);
    } else if (StartsWithNoCase(word, "/ORIGIN=") && word.size() > 8) {
      switches.origin = word.substr(8);
    } else if (StartsWithNoCase(word, "/CLEANUP=") && ProcessIdOf(word.substr(9))) {
      switches.cleanupAfter = ProcessIdOf(word.substr(9));
    } else if (switches.unknown.empty()) {
      switches.unknown = word.empty() ? AnsiString("\"\"") : word;
    }
  }
  return switches;
}

AnsiString PassedOnSwitches(const UninstallSwitches& switches) {
  AnsiString line;
  if (switches.silent) line += "/S";
  if (switches.logFile)
    line += AnsiString(line.empty() ? "" : " ") + "\"/LOG=" + *switches.logFile + "\"";
  return line;
}

AnsiString UninstallUsageText() {
  return "用法: Uninstall.exe [/S] [/LOG=日志文件]\r\n"
         "\r\n"
         "/S\t静默卸载: 不显示任何窗口, 不提问, 保留修改过的文件\r\n"
         "/LOG=\t将卸载过程写入日志文件 (UTF-8)\r\n"
         "/? /H\t显示本说明\r\n"
         "\r\n"
         "退出码:\r\n"
         "0 卸载完成  1 参数错误  2 软件正在运行\r\n"
         "3 没有安装或安装记录不可信  4 部分文件将在重新启动后删除\r\n"
         "5 另一个卸载程序正在运行  6 用户取消  7 部分文件无法删除";
}
