#include "platform/IniText.h"

#include <optional>
#include <vector>

namespace platform::ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

AnsiString Trim(const AnsiString& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The system drops trailing spaces of a default, but not tabs.
AnsiString WithoutTrailingSpaces(AnsiString text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// One line of the file with its line break kept, so a rewrite leaves other lines untouched.
struct Line {
  AnsiString text;
  AnsiString lineBreak;
};

std::vector<Line> LinesWithBreaks(const AnsiString& content) {
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
  std::optional<AnsiString> value;  // nothing for a line without '='
};

// A "key=value" line of a section; blank lines give nothing. A line without '=' names a key
// without a value, which reads as the default. The system knows no comments: a line starting
// with ';' is a key with a ';' in its name, which nobody asks for.
std::optional<Entry> EntryOf(const AnsiString& line) {
  const AnsiString text = Trim(line);
  if (text.empty()) return std::nullopt;
  const std::size_t equals = text.find('=');
  if (equals == AnsiString::npos) return Entry{text, std::nullopt};
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

AnsiString ReadValue(const AnsiString& content, const AnsiString& section, const AnsiString& key,
                     const AnsiString& defaultValue) {
  AnsiString result = WithoutTrailingSpaces(defaultValue);
  const std::vector<Line> lines = LinesWithBreaks(content);
  const Position position = Locate(lines, section, key);
  if (position.keyLine) {
    const std::optional<AnsiString> value = EntryOf(lines[*position.keyLine].text)->value;
    if (value) result = Unquote(*value);
  }
  if (result.size() > kValueLimit) result.resize(kValueLimit);
  return result;
}

AnsiString WithValue(const AnsiString& content, const AnsiString& section, const AnsiString& key,
                     const AnsiString& value) {
  std::vector<Line> lines = LinesWithBreaks(content);
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
  AnsiString rewritten;
  for (const Line& line : lines) rewritten += line.text + line.lineBreak;
  return rewritten;
}

}  // namespace platform::ini
