#include <filesystem>

#include "contract/PlantedFolders.h"
#include "platform/sim/SimMachine.h"

namespace contract {

void PlantFolderEveryoneMayChange(const AnsiString& folder) {
  std::filesystem::create_directories(sim::SimMachine::Current().Files().HostPath(folder));
}

}  // namespace contract
