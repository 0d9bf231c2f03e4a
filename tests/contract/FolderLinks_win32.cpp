#include <string>

#include "contract/FolderLinks.h"
#include "platform/Files.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace contract {
namespace {

AnsiString Variable(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024) return {};
  return platform::win32::Narrow(std::wstring(value, length));
}

}  // namespace

std::optional<FolderLink> AFolderLink(const AnsiString& scratch) {
  const FolderLink made{scratch + "link", scratch + "target"};
  // Wine answers the call with success and makes nothing: the link must be seen to be there.
  if (platform::ForceDirectories(made.target) &&
      ::CreateSymbolicLinkW(platform::win32::Wide(made.link).c_str(),
                            platform::win32::Wide(made.target).c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY) &&
      platform::DirectoryExists(made.link)) {
    return made;
  }
  const FolderLink runners{Variable(L"KORV_FOLDER_LINK"), Variable(L"KORV_FOLDER_LINK_TARGET")};
  if (runners.link.empty() || !platform::DirectoryExists(runners.link)) return std::nullopt;
  return runners;
}

}  // namespace contract
