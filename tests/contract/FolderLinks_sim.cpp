#include <filesystem>
#include <system_error>

#include "contract/FolderLinks.h"
#include "platform/Files.h"
#include "platform/sim/SimMachine.h"

namespace contract {

std::optional<FolderLink> AFolderLink(const AnsiString& scratch) {
  const FolderLink made{scratch + "link", scratch + "target"};
  if (!platform::ForceDirectories(made.target)) return std::nullopt;
  const auto& files = sim::SimMachine::Current().Files();
  std::error_code error;
  std::filesystem::create_directory_symlink(files.HostPath(made.target), files.HostPath(made.link),
                                            error);
  if (error) return std::nullopt;
  return made;
}

}  // namespace contract
