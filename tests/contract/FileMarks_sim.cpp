#include "contract/FileMarks.h"

#include "platform/sim/SimMachine.h"

namespace contract {

void MarkFile(const AnsiString& path, const FileMarks& marks) {
  sim::SimFileSystem& files = sim::SimMachine::Current().Files();
  files.SetFileAttributes(path, (marks.readOnly ? sim::kReadOnly : 0u) |
                                    (marks.hidden ? sim::kHidden : 0u) |
                                    (marks.system ? sim::kSystem : 0u));
}

FileMarks MarksOf(const AnsiString& path) {
  const sim::SimFileSystem& files = sim::SimMachine::Current().Files();
  const unsigned attributes = files.FileAttributes(files.HostPath(path));
  FileMarks marks;
  marks.readOnly = (attributes & sim::kReadOnly) != 0;
  marks.hidden = (attributes & sim::kHidden) != 0;
  marks.system = (attributes & sim::kSystem) != 0;
  return marks;
}

bool SystemRefusesReplacingMarkedFiles() { return true; }

}  // namespace contract
