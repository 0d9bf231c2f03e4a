#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/IniFile.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// GetPrivateProfileStringA fills a 2048-byte buffer, leaving room for the final NUL.
constexpr std::size_t kValueLimit = 2047;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

AnsiString Trim(const AnsiString& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

AnsiString TrimRight(AnsiString text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

// One line of the file with its line break kept, so a rewrite leaves other lines untouched.
struct Line {
  AnsiString text;
  AnsiString lineBreak;
};

std::vector<Line> SplitLines(const AnsiString& content) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == AnsiString::npos) {
      lines.push_back({content.substr(start), ""});
      break;
    }
    std::size_t next = end + 1;
    if (content[end] == '\r' && next < content.size() && content[next] == '\n') ++next;
    lines.push_back({content.substr(start, end - start), content.substr(end, next - end)});
    start = next;
  }
  return lines;
}

// The section name of a "[name]" line; nothing for other lines.
std::optional<AnsiString> SectionName(const AnsiString& line) {
  const AnsiString text = Trim(line);
  if (text.empty() || text[0] != '[') return std::nullopt;
  const std::size_t close = text.rfind(']');
  const std::size_t end = close == AnsiString::npos || close == 0 ? text.size() : close;
  return Trim(text.substr(1, end - 1));
}

struct Entry {
  AnsiString key;
  AnsiString value;
};

// A "key=value" line of a section; blank lines give nothing. The system knows no comments: a
// line starting with ';' is a key with a ';' in its name, which nobody asks for.
std::optional<Entry> EntryOf(const AnsiString& line) {
  const AnsiString text = Trim(line);
  if (text.empty()) return std::nullopt;
  const std::size_t equals = text.find('=');
  if (equals == AnsiString::npos) return Entry{text, ""};
  return Entry{Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

// A value enclosed in matching single or double quotes loses them.
AnsiString Unquote(const AnsiString& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::optional<AnsiString> ReadFile(const fs::path& host) {
  std::error_code error;
  if (host.empty() || !fs::is_regular_file(host, error)) return std::nullopt;
  if (sim::SimMachine::Current().IsLocked(host)) return std::nullopt;
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  return AnsiString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where a key sits in the file: the line of its entry, or where a new one would go.
struct Position {
  bool sectionFound = false;
  std::optional<std::size_t> keyLine;
  std::size_t insertAfter = 0;  // last non-blank line of the section
};

Position Locate(const std::vector<Line>& lines, const AnsiString& section, const AnsiString& key) {
  Position position;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionName(lines[i].text)) {
      if (position.sectionFound) break;  // the first matching section is the one
      inSection = SameTextAscii(*name, section);
      if (inSection) {
        position.sectionFound = true;
        position.insertAfter = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (!Trim(lines[i].text).empty()) position.insertAfter = i;
    const auto entry = EntryOf(lines[i].text);
    if (entry && SameTextAscii(entry->key, key)) {
      position.keyLine = i;
      break;
    }
  }
  return position;
}

}  // namespace

AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue) {
  AnsiString result = TrimRight(defaultValue);
  if (const auto content = ReadFile(sim::SimMachine::Current().HostPath(file))) {
    const std::vector<Line> lines = SplitLines(*content);
    const Position position = Locate(lines, section, key);
    if (position.keyLine) result = Unquote(EntryOf(lines[*position.keyLine].text)->value);
  }
  if (result.size() > kValueLimit) result.resize(kValueLimit);
  return result;
}

bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value) {
  const fs::path host = sim::SimMachine::Current().HostPath(file);
  std::error_code error;
  if (host.empty() || !fs::is_directory(host.parent_path(), error) ||
      sim::SimMachine::Current().IsLocked(host) || fs::is_directory(host, error)) {
    return false;
  }
  std::vector<Line> lines = SplitLines(ReadFile(host).value_or(AnsiString()));
  const Position position = Locate(lines, section, key);
  if (position.keyLine) {
    const AnsiString keyName = EntryOf(lines[*position.keyLine].text)->key;
    lines[*position.keyLine].text = keyName + "=" + value;
  } else if (position.sectionFound) {
    Line& before = lines[position.insertAfter];
    if (before.lineBreak.empty()) before.lineBreak = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position.insertAfter) + 1,
                 Line{key + "=" + value, "\r\n"});
  } else {
    if (!lines.empty() && lines.back().lineBreak.empty()) lines.back().lineBreak = "\r\n";
    lines.push_back({"[" + section + "]", "\r\n"});
    lines.push_back({key + "=" + value, "\r\n"});
  }
  AnsiString content;
  for (const Line& line : lines) content += line.text + line.lineBreak;
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace platform
