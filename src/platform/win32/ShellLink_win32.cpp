#include "platform/ShellLink.h"

#include <string>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/ShellClassIds.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace platform {
namespace {

// An item list the shell allocated, given back to the shell's allocator.
inline void FreeItemList(PIDLIST_ABSOLUTE list) noexcept { ::CoTaskMemFree(list); }
using UniqueItemList =
    win32::UniqueResource<win32::traits::Simple<PIDLIST_ABSOLUTE, nullptr, FreeItemList>>;

// The runtime's report of a failed COM call: the system's text for the result code, or the code
// itself when the system has no text for it.
[[noreturn]] void ThrowOleError(HRESULT result) {
  AnsiString text = win32::SystemErrorMessage(static_cast<std::uint32_t>(result));
  if (text.empty()) text = Format("OLE error %.8lX", static_cast<unsigned long>(result));
  throw EOleSysError(text);
}

// The object's interface iid into target, or the error of asking for it.
void Query(IUnknown* object, REFIID iid, void** target) {
  const HRESULT result = object->QueryInterface(iid, target);
  if (FAILED(result)) ThrowOleError(result);
}

}  // namespace

// The object itself and the two faces the program uses of it; each reference is released when
// the link goes, also when the constructor fails half-way.
struct ShellLink::Impl {
  win32::ComPtr<IUnknown> object;
  win32::ComPtr<IShellLinkW> link;
  win32::ComPtr<IPersistFile> file;
};

ShellLink::ShellLink() : impl_(std::make_unique<Impl>()) {
  const HRESULT created = ::CoCreateInstance(win32::kShellLinkClass, nullptr,
                                             CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                             __uuidof(IUnknown), impl_->object.PutVoid());
  if (FAILED(created)) ThrowOleError(created);
  Query(impl_->object.Get(), __uuidof(IShellLinkW), impl_->link.PutVoid());
  Query(impl_->object.Get(), __uuidof(IPersistFile), impl_->file.PutVoid());
}

ShellLink::~ShellLink() = default;

bool ShellLink::SetPath(const AnsiString& target) {
  const std::wstring wide = win32::Wide(target);
  return impl_->link->SetPath(wide.c_str()) == S_OK;
}

bool ShellLink::SetWorkingDirectory(const AnsiString& folder) {
  const std::wstring wide = win32::Wide(folder);
  return impl_->link->SetWorkingDirectory(wide.c_str()) == S_OK;
}

bool ShellLink::Save(const AnsiString& linkFile) {
  const std::wstring wide = win32::Wide(linkFile);
  return SUCCEEDED(impl_->file->Save(wide.c_str(), FALSE));
}

namespace {

// A special folder of the system (SHGetSpecialFolderLocation, then SHGetPathFromIDListW) in code
// page 936, without a trailing backslash; empty when the system cannot name it.
AnsiString SpecialFolder(int folderId) {
  UniqueItemList folder;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, folderId, folder.Put()))) return AnsiString();
  wchar_t path[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListW(folder.Get(), path)) return AnsiString();
  AnsiString narrow = win32::NarrowZ(path);
  // A backslash that is a character of its own, never the trail byte of a Chinese one.
  while (!narrow.empty() && LastDelimiter(narrow, "\\") == narrow.size() - 1) narrow.pop_back();
  return narrow;
}

}  // namespace

std::optional<AnsiString> LinkTarget(const AnsiString& linkFile) {
  try {
    ShellLink link;
    if (FAILED(link.impl_->file->Load(win32::Wide(linkFile).c_str(), STGM_READ)))
      return std::nullopt;
    wchar_t target[MAX_PATH + 1] = {};
    if (link.impl_->link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK)
      return std::nullopt;
    return win32::NarrowZ(target);
  } catch (const Exception&) {
    // No link object, or a target code page 936 cannot hold: no target the program knows.
    return std::nullopt;
  }
}

AnsiString CommonDesktopFolder() { return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY); }

AnsiString CommonProgramsFolder() { return SpecialFolder(CSIDL_COMMON_PROGRAMS); }

void NotifyAssociationsChanged() {
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace platform
