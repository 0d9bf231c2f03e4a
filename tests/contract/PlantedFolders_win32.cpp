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
  const BOOL made = ::CreateDirectoryW(platform::win32::Wide(folder).c_str(), &security);
  ::LocalFree(descriptor);
  if (!made) throw std::runtime_error("cannot plant the test's folder");
}

bool SystemKeepsFolderOwners(const AnsiString& scratch) {
  const std::wstring probe = platform::win32::Wide(scratch + "owner-probe");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"O:BAD:P(A;;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
    throw std::runtime_error("cannot make the probe folder's access list");
  }
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  const BOOL made = ::CreateDirectoryW(probe.c_str(), &security);
  ::LocalFree(descriptor);
  if (!made) throw std::runtime_error("cannot make the probe folder");
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR read = nullptr;
  bool kept = false;
  if (::GetNamedSecurityInfoW(probe.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &read) == ERROR_SUCCESS) {
    kept = owner && ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    ::LocalFree(read);
  }
  ::RemoveDirectoryW(probe.c_str());
  return kept;
}

}  // namespace contract
