#include <stdexcept>

#include "contract/PlantedFolders.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

#include <sddl.h>

namespace contract {

void PlantFolderEveryoneMayChange(const AnsiString& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
    throw std::runtime_error("cannot make the planted folder's access list");
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  const BOOL made = ::CreateDirectoryW(platform::win32::Wide(folder).c_str(), &security);
  ::LocalFree(descriptor);
  if (!made) throw std::runtime_error("cannot plant the test's folder");
}

}  // namespace contract
