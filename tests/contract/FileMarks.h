#pragma once
// The marks a file carries besides its bytes (read-only, hidden, system), set and read the way a
// user or another program would, so the contract can meet files the program did not mark.
// FileMarks_win32.cpp uses the system's file attributes, FileMarks_sim.cpp the simulated
// machine's.
#include "platform/AnsiString.h"

namespace contract {

struct FileMarks {
  bool readOnly = false;
  bool hidden = false;
  bool system = false;
  bool operator==(const FileMarks& other) const {
    return readOnly == other.readOnly && hidden == other.hidden && system == other.system;
  }
};

// Sets exactly these marks on an existing file.
void MarkFile(const AnsiString& path, const FileMarks& marks);
// The marks of an existing file.
FileMarks MarksOf(const AnsiString& path);

// Whether the system refuses to replace a marked file whole with a plain one, as Windows does:
// CREATE_ALWAYS with plain attributes is denied access to a read-only, hidden or system file.
// The simulated machine keeps to it; Wine leaves it to the host's file system, which lets hidden
// and system files be written, and read-only ones by a superuser.
bool SystemRefusesReplacingMarkedFiles();

}  // namespace contract
