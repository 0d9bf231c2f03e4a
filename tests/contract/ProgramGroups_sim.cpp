// Program Manager's groups in the host build: the simulated machine's.
#include <algorithm>

#include "contract/ProgramGroups.h"
#include "platform/sim/SimMachine.h"

namespace contract {

std::vector<AnsiString> ProgramGroups() {
  std::vector<AnsiString> groups = sim::SimMachine::Current().Dde().ProgramGroups();
  std::sort(groups.begin(), groups.end());
  return groups;
}

std::optional<std::vector<AnsiString>> ProgramGroupItems(const AnsiString& group) {
  std::optional<std::vector<AnsiString>> items =
      sim::SimMachine::Current().Dde().ProgramGroupItems(group);
  if (items) std::sort(items->begin(), items->end());
  return items;
}

bool CloseProgramManagerWindows() { return true; }

// Each test has a machine of its own: nothing outlives it.
void RemoveProgramGroup(const AnsiString& /*group*/) {}

}  // namespace contract
