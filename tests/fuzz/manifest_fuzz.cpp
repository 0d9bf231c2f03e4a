// The manifest line splitter and the folder part over arbitrary lines: the three fields put
// together give the line back, and the folder part ends at the last backslash that is a
// character of its own.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "setupdata/Manifest.h"

namespace {

void CheckSplit(const AnsiString& line) {
  const ManifestLine split = SplitManifestLine(line);
  fuzz::Require(split.name.find(' ') == AnsiString::npos, "a name holds no space");
  fuzz::Require(split.type.find(' ') == AnsiString::npos, "a type holds no space");
  const std::size_t spaces = line.find(' ') == AnsiString::npos                       ? 0
                             : line.find(' ', line.find(' ') + 1) == AnsiString::npos ? 1
                                                                                      : 2;
  AnsiString joined = split.name;
  if (spaces >= 1) joined += " " + split.type;
  if (spaces == 2) joined += " " + split.path;
  fuzz::Require(joined == line, "name, type and path put together give the line");
  fuzz::Require(spaces == 2 || split.path.empty(), "a line without a second space has no path");
}

void CheckFolderPart(const AnsiString& path) {
  const AnsiString folder = ManifestFolderPart(path);
  const std::vector<bool> starts = fuzz::CharacterStarts(path);
  std::size_t from = 0;
  if (!folder.empty()) {
    fuzz::Require(path.compare(0, folder.size(), folder) == 0, "the folder part starts the path");
    fuzz::Require(
        folder.size() < path.size() && path[folder.size()] == '\\' && starts[folder.size()],
        "the folder part ends before a backslash that is a character of its own");
    from = folder.size() + 1;
  }
  for (std::size_t i = from; i < path.size(); ++i) {
    // A path starting with a backslash has an empty folder part too.
    if (folder.empty() && i == 0) continue;
    fuzz::Require(!(starts[i] && path[i] == '\\'), "no separator follows the folder part");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AnsiString line(reinterpret_cast<const char*>(data), size);
  CheckSplit(line);
  CheckFolderPart(line);
  CheckFolderPart(SplitManifestLine(line).path);
  return 0;
}
