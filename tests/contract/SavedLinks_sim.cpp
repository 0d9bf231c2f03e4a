// Saved shell links in the host build: the simulated machine's record of the last link saved
// into the file, while the file is there.
#include "contract/SavedLinks.h"

#include <vector>

#include "platform/Files.h"
#include "platform/sim/SimMachine.h"

namespace contract {

std::optional<LinkContents> ReadSavedLink(const AnsiString& file) {
  if (!platform::FileExists(file)) return std::nullopt;
  const std::vector<sim::SavedShellLink> saved =
      sim::SimMachine::Current().Shell().SavedShellLinks();
  for (auto link = saved.rbegin(); link != saved.rend(); ++link) {
    if (SameTextAscii(link->file, file)) return LinkContents{link->target, link->workingFolder};
  }
  return std::nullopt;
}

}  // namespace contract
