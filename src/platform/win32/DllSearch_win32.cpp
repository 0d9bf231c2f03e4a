#include "platform/DllSearch.h"

#include "platform/win32/WindowsApi.h"

namespace platform {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Systems before Windows 8 have SetDefaultDllDirectories only with the update that added it, so
// it is looked up in kernel32 (always loaded) rather than imported: the program must still
// start without it.
SetDefaultDllDirectoriesFn LookUpSetDefaultDllDirectories() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

}  // namespace

void RestrictDllSearchToSystem() {
  // Loads by bare name (the program's and those the system makes for it) then search only the
  // system folder, never the folder setup.exe was started from.
  if (const SetDefaultDllDirectoriesFn restrict = LookUpSetDefaultDllDirectories()) {
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // An empty DLL directory takes the current folder out of the search order; on a system
  // without the call above it is all the narrowing there is.
  ::SetDllDirectoryW(L"");
}

}  // namespace platform
