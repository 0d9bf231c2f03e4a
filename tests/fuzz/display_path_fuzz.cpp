// The status line's display path over arbitrary folders and relative paths: a path that fits is
// shown whole; a longer one shows the folder's first 17 bytes, 16 when the 17th would split a
// CP936 character, then "...\" and the relative path whole.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "install/Unit_sec.h"

namespace {

constexpr std::size_t kWholeLimit = 45;
constexpr std::size_t kFolderBytes = 17;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const AnsiString folder = input.ConsumeRandomLengthString(80);
  const AnsiString relative = input.ConsumeRemainingBytesAsString();
  const AnsiString shown = ShortenedDisplayPath(folder, relative);

  if (folder.size() + relative.size() <= kWholeLimit) {
    fuzz::Require(shown == folder + relative, "a path that fits is shown whole");
    return 0;
  }
  const AnsiString tail = "...\\" + relative;
  fuzz::Require(shown.size() >= tail.size() &&
                    shown.compare(shown.size() - tail.size(), tail.size(), tail) == 0,
                "a shortened path ends in ...\\ and the relative path whole");
  const std::size_t kept = shown.size() - tail.size();
  fuzz::Require(folder.compare(0, kept, shown, 0, kept) == 0 && kept <= folder.size(),
                "a shortened path starts with the folder's first bytes");
  fuzz::Require(kept <= kFolderBytes, "at most 17 bytes of the folder are kept");
  const std::vector<bool> starts = fuzz::CharacterStarts(folder);
  fuzz::Require(starts[kept], "the folder is never cut inside a character");
  const std::size_t expected = folder.size() <= kFolderBytes ? folder.size()
                               : starts[kFolderBytes]        ? kFolderBytes
                                                             : kFolderBytes - 1;
  fuzz::Require(kept == expected, "the folder keeps 17 bytes, 16 before a split character");
  return 0;
}
