// Saved shell links on Windows: read back by a ShellLink object of the system of its own, as the
// shell reads a shortcut it opens: the target from the link's item list. (The path IShellLinkW::
// GetPath gives can be the link's code-page copy of it: Wine, outside code page 936, gives '?' for
// each Chinese character there while the item list keeps the name whole.)
#include "contract/SavedLinks.h"

#include <string>

#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace contract {
namespace {

inline void FreeItemList(PIDLIST_ABSOLUTE list) noexcept { ::CoTaskMemFree(list); }
using UniqueItemList = platform::win32::UniqueResource<
    platform::win32::traits::Simple<PIDLIST_ABSOLUTE, nullptr, FreeItemList>>;

}  // namespace

std::optional<LinkContents> ReadSavedLink(const AnsiString& file) {
  platform::win32::ComPtr<IPersistFile> persist;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                persist.PutVoid()))) {
    return std::nullopt;
  }
  if (FAILED(persist->Load(platform::win32::Wide(file).c_str(), STGM_READ))) return std::nullopt;
  platform::win32::ComPtr<IShellLinkW> link;
  if (FAILED(persist->QueryInterface(IID_IShellLinkW, link.PutVoid()))) return std::nullopt;
  UniqueItemList target;
  wchar_t targetPath[MAX_PATH + 1] = {};
  wchar_t folder[MAX_PATH + 1] = {};
  if (FAILED(link->GetIDList(target.Put())) || !target ||
      !::SHGetPathFromIDListW(target.Get(), targetPath) ||
      FAILED(link->GetWorkingDirectory(folder, MAX_PATH + 1))) {
    return std::nullopt;
  }
  return LinkContents{platform::win32::NarrowZ(targetPath), platform::win32::NarrowZ(folder)};
}

}  // namespace contract
