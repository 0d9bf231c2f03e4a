#include "platform/Resources.h"
#include "platform/sim/SimMachine.h"

namespace platform {

std::optional<ResourceBytes> FindModuleResource(const AnsiString& name, const AnsiString& type) {
  const std::string* bytes = sim::SimMachine::Current().Module().FindResource(name, type);
  if (!bytes) return std::nullopt;
  ResourceBytes view;
  view.data = reinterpret_cast<const unsigned char*>(bytes->data());
  view.size = bytes->size();
  return view;
}

}  // namespace platform
