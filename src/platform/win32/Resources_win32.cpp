#include "platform/Resources.h"

#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

std::optional<ResourceBytes> FindModuleResource(const AnsiString& name, const AnsiString& type) {
  // The resource compiler stores string names and types in upper case and FindResourceW
  // upper-cases the names it is given, as FindResourceA does, so both match without regard to
  // case.
  const HRSRC found =
      ::FindResourceW(nullptr, win32::Wide(name).c_str(), win32::Wide(type).c_str());
  if (!found) return std::nullopt;
  const HGLOBAL loaded = ::LoadResource(nullptr, found);
  if (!loaded) return std::nullopt;
  const void* data = ::LockResource(loaded);
  if (!data) return std::nullopt;
  return ResourceBytes{static_cast<const unsigned char*>(data), ::SizeofResource(nullptr, found)};
}

}  // namespace platform
