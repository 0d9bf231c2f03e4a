#pragma once
// Named resources of the running module: the setup's payload.
#include <cstddef>
#include <optional>

#include "platform/AnsiString.h"

namespace platform {

// A view of a loaded resource; it stays valid for the life of the process.
struct ResourceBytes {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

// The resource of the running module with this string name and string type, both matched
// without regard to case; nothing when there is no such resource.
std::optional<ResourceBytes> FindModuleResource(const AnsiString& name, const AnsiString& type);

}  // namespace platform
