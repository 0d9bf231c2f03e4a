#include "setupdata/CommandLine.h"

#include <cctype>
#include <cstddef>

#include "setupdata/InstallFolderCheck.h"

namespace {

// Whether text at position at starts with prefix, ASCII letters compared without case.
bool StartsWithNoCase(const AnsiString& text, std::size_t at, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
    if (at + i >= text.size()) return false;
    const auto a = static_cast<unsigned char>(text[at + i]);
    const auto b = static_cast<unsigned char>(prefix[i]);
    if (std::toupper(a) != std::toupper(b)) return false;
  }
  return true;
}

// Code page 936 trail bytes are never a space or a quote, so the line is scanned byte by byte.
std::size_t SkipSpaces(const AnsiString& line, std::size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

// One argument from at: a quoted one without its quotes, else up to the next space.
AnsiString ReadArgument(const AnsiString& line, std::size_t& at) {
  if (line[at] == '"') {
    const std::size_t close = line.find('"', at + 1);
    const std::size_t end = close == AnsiString::npos ? line.size() : close;
    AnsiString argument = line.substr(at + 1, end - at - 1);
    at = close == AnsiString::npos ? line.size() : close + 1;
    return argument;
  }
  std::size_t end = at;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
  AnsiString argument = line.substr(at, end - at);
  at = end;
  return argument;
}

AnsiString WithoutTrailingSpaces(AnsiString text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

}  // namespace

SetupSwitches ParseSetupSwitches(const AnsiString& commandLine) {
  SetupSwitches switches;
  std::size_t at = SkipSpaces(commandLine, 0);
  if (at < commandLine.size()) ReadArgument(commandLine, at);  // the program's own name
  const auto refuse = [&switches](const AnsiString& what) {
    if (switches.unknown.empty()) switches.unknown = what.empty() ? AnsiString("\"\"") : what;
  };
  for (at = SkipSpaces(commandLine, at); at < commandLine.size();
       at = SkipSpaces(commandLine, at)) {
    if (StartsWithNoCase(commandLine, at, "/D=")) {
      // The rest of the line as it stands: a folder may hold spaces.
      const AnsiString folder = WithoutTrailingSpaces(commandLine.substr(at + 3));
      if (folder.empty())
        refuse("/D=");
      else
        switches.installFolder = WithTrailingBackslash(folder);
      break;
    }
    const bool quoted = commandLine[at] == '"';
    const AnsiString argument = ReadArgument(commandLine, at);
    if (quoted && StartsWithNoCase(argument, 0, "/D=")) {
      if (argument.size() == 3)
        refuse(argument);
      else
        switches.installFolder = WithTrailingBackslash(argument.substr(3));
      at = SkipSpaces(commandLine, at);
      if (at < commandLine.size()) refuse(commandLine.substr(at));
      break;
    }
    if (StartsWithNoCase(argument, 0, "/LOG=") && argument.size() > 5) {
      switches.logFile = argument.substr(5);
    } else if (argument.size() == 2 && StartsWithNoCase(argument, 0, "/S")) {
      switches.silent = true;
    } else if (argument == "/?" || (argument.size() == 2 && StartsWithNoCase(argument, 0, "/H"))) {
      switches.help = true;
    } else {
      refuse(argument);
    }
  }
  return switches;
}

AnsiString SetupUsageText() {
  return "用法: setup.exe [/S] [/LOG=日志文件] [/D=安装文件夹]\r\n"
         "\r\n"
         "/S\t静默安装: 不显示任何窗口, 按默认选项安装, 结束后不启动软件\r\n"
         "/D=\t安装文件夹: 本机磁盘上的完整路径 (须放在最后, 可含空格)\r\n"
         "/LOG=\t将安装过程写入日志文件 (UTF-8)\r\n"
         "/? /H\t显示本说明\r\n"
         "\r\n"
         "静默安装的退出码:\r\n"
         "0 安装完成  1 参数错误  2 另一个安装程序正在运行\r\n"
         "3 软件正在运行  4 已安装更新的版本  5 无法创建安装文件夹\r\n"
         "6 无法写入文件  7 注册步骤失败  8 目标磁盘空间不足";
}
