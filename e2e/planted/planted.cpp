// A DLL planted beside setup.exe under the name of a system DLL that the system does not count
// among its known DLLs. It only tells that it was loaded: on attaching to a process it appends
// the path of that process's executable to a marker file beside itself ("<its own path>.loaded"),
// then refuses to stay, as a DLL without the real one's exports would fail, so whatever asked
// for it carries on as if it had not been found.
#include <windows.h>

#include <string>

namespace {

// A module's full path; empty when the system cannot give it.
std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void WriteMarker(HMODULE self) {
  const std::wstring dll = ModulePath(self);
  if (dll.empty()) return;
  const std::wstring line = ModulePath(nullptr) + L"\r\n";
  const HANDLE file = ::CreateFileW((dll + L".loaded").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
  ::CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  WriteMarker(instance);
  return FALSE;
}
