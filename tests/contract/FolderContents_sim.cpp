#include <algorithm>
#include <filesystem>
#include <system_error>

#include "contract/FolderContents.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"

namespace contract {

std::vector<AnsiString> NamesIn(const AnsiString& folder) {
  std::vector<AnsiString> names;
  std::error_code error;
  const std::filesystem::path host = sim::SimMachine::Current().Files().HostPath(folder);
  for (std::filesystem::directory_iterator it(host, error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(sim::FromUtf8(it->path().filename().string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace contract
