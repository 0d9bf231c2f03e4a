#pragma once
// The groups of the simulated Program Manager, shaped by the commands of its DDE conversations
// and read as Wine's Program Manager reads them, since that is the server the contract tests
// hold the simulated one to. Plain state: the machine keeps one and guards it.
#include <functional>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

// Whether the machine's Program Manager answers DDE.
enum class ProgramManagerState {
  Running,    // answers service and topic "ProgMan" now
  Startable,  // not running; a command line naming progman ("ProgMan ProgMan") starts it
  Missing,    // not running, and nothing starts it
  Hung,       // answers service and topic "ProgMan", then carries out nothing and answers no
              // command in time
};

// One execute transaction a program sent in a DDE conversation.
struct DdeExecution {
  AnsiString command;       // the bytes as sent
  bool waited = false;      // the program waited for the answer
  bool carriedOut = false;  // the server's answer
};

// One DDE conversation a program held with the machine's Program Manager.
struct DdeConversationRecord {
  AnsiString service;  // as the program named them
  AnsiString topic;
  std::vector<DdeExecution> executions;  // in order
  bool open = true;
  // The commands as sent, in order.
  std::vector<AnsiString> Commands() const;
};

class SimProgramManager {
 public:
  // Tells whether a Windows path names an existing file.
  using FileExists = std::function<bool(const AnsiString& path)>;

  // Carries out the commands of one execute transaction: "[Name(argument, ...)]" one after
  // another; spaces around the parts are left out, an argument in double quotes is taken as
  // written, the parentheses may be left out. Known commands, names without regard to case:
  //   CreateGroup(name, ...)   makes the group (an existing one stays as it is)
  //   ShowGroup(name, how)     (both arguments needed) nothing to show here
  //   DeleteGroup(name)        removes the group with its items; refused when there is none
  //   AddItem(file, title...)  an item of the group last created or shown; refused when the
  //                            file is missing (".exe" is tried for a name without extension)
  //                            or that group is gone; without a title the file's name is used
  //   DeleteItem(title), ReplaceItem(title)  removes an item of that group; refused when absent
  //   ExitProgman(...)         nothing
  // True when every command was carried out; false at the first one refused, unknown or
  // malformed (those before it stay done).
  bool Execute(const AnsiString& text, const FileExists& fileExists);

  // As Wine's Program Manager does where the system's code page is not 936: every command with
  // text beyond ASCII is refused whole (it reads the UTF-16 it is sent as ANSI bytes).
  void SetRefusesTextBeyondAscii(bool refuses) { refusesTextBeyondAscii_ = refuses; }

  // The groups' names as first given, in order of making.
  std::vector<AnsiString> Groups() const;
  // The titles of a group's items, in order of adding; nothing when there is no such group.
  std::optional<std::vector<AnsiString>> Items(const AnsiString& group) const;

 private:
  struct Group {
    AnsiString name;
    std::vector<AnsiString> items;
  };

  bool Carry(const AnsiString& command, const std::vector<AnsiString>& arguments,
             const FileExists& fileExists);
  bool AddItem(const std::vector<AnsiString>& arguments, const FileExists& fileExists);
  Group* FindGroup(const AnsiString& name);
  const Group* FindGroup(const AnsiString& name) const;

  std::vector<Group> groups_;
  AnsiString lastGroup_;  // where items go: the group last created or shown
  bool refusesTextBeyondAscii_ = false;
};

}  // namespace sim
