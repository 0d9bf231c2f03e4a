#pragma once
// The run's journal: every change the run is about to make, appended and on the disk before the
// change is made, in a folder at a fixed place only administrators may change. A run that ends
// removes it; when the setup was killed during a run, the next setup finds it there and undoes
// what it lists. A journal anywhere else, or in a folder someone else made, is never acted on.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Files.h"
#include "platform/Registry.h"

// One change of the run, as the journal lists it and rollback undoes it.
struct RunChange {
  enum class Kind {
    Folder,       // a folder made (removed again when empty)
    NewFile,      // a file written where none stood
    MovedAside,   // an earlier file moved to aside before a new one was written in its place
    OutsideFile,  // a file outside the install folder (a link), with its earlier bytes if any
    Key,          // a registry key made
    Value,        // a registry value written, with what it held before
    ProgramGroup  // the program group, by its name
  };
  Kind kind = Kind::Folder;
  AnsiString path;  // the file or folder's full path; the key's path; the group's name
  AnsiString aside;
  std::optional<std::string> earlierBytes;  // OutsideFile: the earlier file's bytes
  platform::RootKey root = platform::RootKey::CurrentUser;
  AnsiString name;  // Value: the value's name
  std::optional<platform::RawValue> before;
};

// The journal's text: its first line, then one line per change.
std::string JournalHeader();
std::string JournalLine(const RunChange& change);
// The changes a journal's text lists; a last line cut short (the process ended while writing
// it, before its change began) is left out. Nothing, with the reason in *why, when any other
// line is damaged or the text is not a journal of a known version.
std::optional<std::vector<RunChange>> ParseJournal(const std::string& text,
                                                   AnsiString* why = nullptr);

class RunJournal {
 public:
  // The folder of the journal (below the common application data folder) and its file.
  static AnsiString Folder();
  static AnsiString FilePath();

  // Starts the journal of a new run. Nothing, with the reason in *why, when its folder cannot be
  // made or is not trusted, or an earlier run's journal is still there (what could not be undone
  // yet): the run then keeps its changes in memory only.
  static std::unique_ptr<RunJournal> Begin(AnsiString* why);
  // The changes an unfinished run left in the trusted folder; nothing when there is no journal,
  // with the reason in *why when one was found but not acted on.
  static std::optional<std::vector<RunChange>> FindUnfinished(AnsiString* why);
  // Removes the journal file of a run that ended (after its rollback, or on success), once its
  // RunJournal is gone.
  static void Remove();

  explicit RunJournal(std::unique_ptr<platform::FileAppender> file);
  ~RunJournal();  // closes the file, which stays until Remove

  // Appends the change, with one write the system has taken when it returns. Throws
  // EFCreateError when it cannot be written: the change must then not be made.
  void Append(const RunChange& change);

 private:
  std::unique_ptr<platform::FileAppender> file_;
};
