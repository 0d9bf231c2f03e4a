#include "platform/sim/SimProgramManager.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

// Reads the commands of one execute text, a character at a time: the trail byte of a code page
// 936 character may be the code of '[' or ']', and is never taken for one.
class CommandReader {
 public:
  explicit CommandReader(const AnsiString& text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  bool At(char c) const { return !AtEnd() && text_[pos_] == c; }
  void Next() { pos_ += CharLength(pos_); }
  void SkipSpaces() {
    while (At(' ')) Next();
  }
  // The text up to the first of stops, which must come; the reader stops on it.
  bool ReadUntil(const char* stops, AnsiString& part) {
    const std::size_t start = pos_;
    while (!AtEnd() && !IsStop(pos_, stops)) Next();
    if (AtEnd()) return false;
    part = text_.substr(start, pos_ - start);
    return true;
  }

 private:
  bool IsStop(std::size_t at, const char* stops) const {
    return !IsLeadByte(text_[at]) && text_[at] != '\0' && std::strchr(stops, text_[at]);
  }
  std::size_t CharLength(std::size_t at) const {
    return IsLeadByte(text_[at]) && at + 1 < text_.size() ? 2 : 1;
  }

  const AnsiString& text_;
  std::size_t pos_ = 0;
};

AnsiString TrimTrailingSpaces(AnsiString text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// One argument: in double quotes as written, otherwise up to the next separator without the
// spaces before it. The reader stops past the ',' after it, or on the ')'.
bool ReadArgument(CommandReader& reader, AnsiString& argument) {
  reader.SkipSpaces();
  if (reader.At('"')) {
    reader.Next();
    if (!reader.ReadUntil("\"", argument)) return false;
    reader.Next();
  } else {
    if (!reader.ReadUntil(",()[]", argument)) return false;
    argument = TrimTrailingSpaces(argument);
  }
  reader.SkipSpaces();
  if (reader.At(',')) {
    reader.Next();
    return true;
  }
  return reader.At(')');
}

// "Name" or "Name(argument, ...)", after the '['; the reader stops on the ']'.
bool ReadCommand(CommandReader& reader, AnsiString& name, std::vector<AnsiString>& arguments) {
  reader.SkipSpaces();
  if (!reader.ReadUntil(" ,()[]\"", name)) return false;
  reader.SkipSpaces();
  if (reader.At('(')) {
    reader.Next();
    while (!reader.At(')')) {
      AnsiString argument;
      if (!ReadArgument(reader, argument)) return false;
      arguments.push_back(argument);
    }
    reader.Next();
    reader.SkipSpaces();
  }
  return reader.At(']');
}

// The file name of a path without its folder and extension.
AnsiString BaseName(const AnsiString& path) {
  const std::size_t slash = LastDelimiter(path, "\\/:");
  AnsiString name = slash == AnsiString::npos ? path : path.substr(slash + 1);
  const std::size_t dot = LastDelimiter(name, ".");
  return dot == AnsiString::npos ? name : name.substr(0, dot);
}

// The group of that name, compared as file names are; null when there is none.
template <class Groups>
auto FindIn(Groups& groups, const AnsiString& name) -> decltype(&groups.front()) {
  for (auto& group : groups) {
    if (SameTextAscii(group.name, name)) return &group;
  }
  return nullptr;
}

bool HasExtension(const AnsiString& path) {
  const std::size_t dot = LastDelimiter(path, ".");
  const std::size_t slash = LastDelimiter(path, "\\/");
  return dot != AnsiString::npos && (slash == AnsiString::npos || dot > slash);
}

}  // namespace

std::vector<AnsiString> DdeConversationRecord::Commands() const {
  std::vector<AnsiString> commands;
  for (const DdeExecution& execution : executions) commands.push_back(execution.command);
  return commands;
}

bool SimProgramManager::Execute(const AnsiString& text, const FileExists& fileExists) {
  const bool beyondAscii = std::any_of(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (refusesTextBeyondAscii_ && beyondAscii) return false;
  CommandReader reader(text);
  reader.SkipSpaces();
  if (!reader.At('[')) return false;
  while (reader.At('[')) {
    reader.Next();
    AnsiString name;
    std::vector<AnsiString> arguments;
    if (!ReadCommand(reader, name, arguments)) return false;
    reader.Next();
    reader.SkipSpaces();
    if (!Carry(name, arguments, fileExists)) return false;
  }
  return true;
}

bool SimProgramManager::Carry(const AnsiString& command, const std::vector<AnsiString>& arguments,
                              const FileExists& fileExists) {
  const auto is = [&command](const char* name) { return SameTextAscii(command, name); };
  if (is("ExitProgman")) return true;
  if (is("AddItem")) return AddItem(arguments, fileExists);
  const std::size_t needed = is("ShowGroup") ? 2 : 1;
  if (arguments.size() < needed) return false;
  const AnsiString& name = arguments[0];
  if (is("CreateGroup")) {
    if (!FindGroup(name)) groups_.push_back({name, {}});
    lastGroup_ = name;
    return true;
  }
  if (is("ShowGroup")) {
    lastGroup_ = name;
    return true;
  }
  if (is("DeleteGroup")) {
    const Group* group = FindGroup(name);
    if (!group) return false;
    groups_.erase(groups_.begin() + (group - groups_.data()));
    return true;
  }
  if (is("DeleteItem") || is("ReplaceItem")) {
    Group* group = FindGroup(lastGroup_);
    if (!group) return false;
    const auto item =
        std::find_if(group->items.begin(), group->items.end(),
                     [&](const AnsiString& title) { return SameTextAscii(title, name); });
    if (item == group->items.end()) return false;
    group->items.erase(item);
    return true;
  }
  return false;
}

bool SimProgramManager::AddItem(const std::vector<AnsiString>& arguments,
                                const FileExists& fileExists) {
  if (arguments.empty()) return false;
  const AnsiString& file = arguments[0];
  if (!fileExists(file) && (HasExtension(file) || !fileExists(file + ".exe"))) return false;
  Group* group = FindGroup(lastGroup_);
  if (!group) return false;
  const AnsiString title = arguments.size() >= 2 ? arguments[1] : BaseName(file);
  const bool present =
      std::any_of(group->items.begin(), group->items.end(),
                  [&](const AnsiString& existing) { return SameTextAscii(existing, title); });
  if (!present) group->items.push_back(title);  // a second one replaces the first
  return true;
}

SimProgramManager::Group* SimProgramManager::FindGroup(const AnsiString& name) {
  return FindIn(groups_, name);
}

const SimProgramManager::Group* SimProgramManager::FindGroup(const AnsiString& name) const {
  return FindIn(groups_, name);
}

std::vector<AnsiString> SimProgramManager::Groups() const {
  std::vector<AnsiString> names;
  for (const Group& group : groups_) names.push_back(group.name);
  return names;
}

std::optional<std::vector<AnsiString>> SimProgramManager::Items(const AnsiString& group) const {
  const Group* found = FindGroup(group);
  if (!found) return std::nullopt;
  return found->items;
}

}  // namespace sim
