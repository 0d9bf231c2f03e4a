#include <stdexcept>

#include "contract/PlantedFolders.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

#include <aclapi.h>
#include <sddl.h>

namespace contract {

void PlantFolderEveryoneMayChange(const AnsiString& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
    throw std::runtime_error("cannot make the planted folder's access list");
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  const std::wstring wide = platform::win32::Wide(folder);
  BOOL made = ::CreateDirectoryW(wide.c_str(), &security);
  // Set once more on the made folder: Wine takes an access list set so into the host's file
  // modes (other users may write), where it ignores one given at creation.
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL access = nullptr;
  if (made && ::GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted)) {
    made = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(wide.c_str()), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, access,
                                   nullptr) == ERROR_SUCCESS;
  }
  ::LocalFree(descriptor);
  if (!made) throw std::runtime_error("cannot plant the test's folder");
}

}  // namespace contract
