// Program Manager's groups on Windows: the folders of the start menu's programs folder and the
// links in them.
#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "contract/ProgramGroups.h"
#include "contract/Win32Support.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <shlobj.h>
#include <tlhelp32.h>

namespace contract {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::FindClose(value); }
};
using UniqueFind = platform::win32::UniqueResource<FindTraits>;

std::wstring ProgramsFolder() {
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, FALSE)) {
    throw std::runtime_error("the start menu's programs folder is unknown");
  }
  return std::wstring(path) + L"\\";
}

// The names of folder's entries that match pattern and are folders (or files), sorted.
std::vector<AnsiString> Entries(const std::wstring& folder, const wchar_t* pattern, bool folders) {
  std::vector<AnsiString> names;
  WIN32_FIND_DATAW entry;
  const UniqueFind search(::FindFirstFileW((folder + pattern).c_str(), &entry));
  if (!search) return names;
  do {
    const std::wstring name = entry.cFileName;
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != L"." && name != L".." && isFolder == folders) names.push_back(Narrow(name));
  } while (::FindNextFileW(search.Get(), &entry));
  std::sort(names.begin(), names.end());
  return names;
}

// A search for a visible top-level window of one process.
struct WindowSearch {
  DWORD process = 0;
  bool found = false;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM search) noexcept {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == s->process && ::IsWindowVisible(window)) {
    s->found = true;
    return FALSE;
  }
  return TRUE;
}

bool HasVisibleWindow(DWORD process) {
  WindowSearch search{process};
  ::EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The explorers the desktop's process started: on Wine it is Program Manager's, and shows each
// group in an explorer of its own.
std::vector<DWORD> ExplorersStartedByTheDesktop() {
  DWORD desktop = 0;
  ::GetWindowThreadProcessId(::GetDesktopWindow(), &desktop);
  std::vector<DWORD> explorers;
  const platform::win32::UniqueFileHandle snapshot(
      ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return explorers;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ParentProcessID == desktop &&
        ::lstrcmpiW(entry.szExeFile, L"explorer.exe") == 0) {
      explorers.push_back(entry.th32ProcessID);
    }
  }
  return explorers;
}

BOOL CALLBACK CloseVisibleWindowOf(HWND window, LPARAM process) noexcept {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(process) && ::IsWindowVisible(window)) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

using Clock = std::chrono::steady_clock;

// Waits for condition, checking every 50 ms until deadline; whether it came true.
template <class Condition>
bool WaitFor(Condition condition, Clock::time_point deadline) {
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace

std::vector<AnsiString> ProgramGroups() { return Entries(ProgramsFolder(), L"*", true); }

std::optional<std::vector<AnsiString>> ProgramGroupItems(const AnsiString& group) {
  const std::wstring folder = ProgramsFolder() + Wide(group);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  std::vector<AnsiString> titles;
  for (const AnsiString& link : Entries(folder + L"\\", L"*.lnk", false)) {
    titles.push_back(link.substr(0, link.size() - 4));
  }
  return titles;
}

bool CloseProgramManagerWindows() {
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  for (const DWORD explorer : ExplorersStartedByTheDesktop()) {
    const platform::win32::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, explorer));
    if (!process) continue;  // it has ended already
    const auto ended = [&process] {
      return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
    };
    // Closed only once it is up: an explorer that loses its folder while it starts fails.
    if (!WaitFor([&] { return ended() || HasVisibleWindow(explorer); }, deadline)) return false;
    ::EnumWindows(CloseVisibleWindowOf, static_cast<LPARAM>(explorer));
    if (!WaitFor(ended, deadline)) return false;
  }
  return true;
}

void RemoveProgramGroup(const AnsiString& group) {
  CloseProgramManagerWindows();
  RemoveTree(ProgramsFolder() + Wide(group) + L"\\");
}

}  // namespace contract
