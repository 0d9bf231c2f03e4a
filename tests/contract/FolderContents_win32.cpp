#include <algorithm>

#include "contract/FolderContents.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

std::vector<AnsiString> NamesIn(const AnsiString& folder) {
  std::vector<AnsiString> names;
  WIN32_FIND_DATAW found{};
  const bool ended = !folder.empty() && folder.back() == '\\';
  const HANDLE search =
      ::FindFirstFileW(platform::win32::Wide(folder + (ended ? "*" : "\\*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(platform::win32::Narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace contract
