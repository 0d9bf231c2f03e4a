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

struct TitleSearch {
  const std::wstring* title;
};

BOOL CALLBACK CloseGroupWindow(HWND window, LPARAM search) noexcept {
  const auto* s = reinterpret_cast<const TitleSearch*>(search);
  wchar_t text[MAX_PATH] = {};
  ::GetWindowTextW(window, text, MAX_PATH);
  wchar_t className[64] = {};
  ::GetClassNameW(window, className, 64);
  const std::wstring kind = className;
  if (*s->title == text && (kind == L"ExplorerWClass" || kind == L"CabinetWClass")) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
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

bool ProgramManagerTakes(const AnsiString& command) {
  const bool ascii = std::all_of(command.begin(), command.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii || ::GetACP() == platform::win32::kProgramCodePage;
}

void AwaitProgramManagerWindows() {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  for (;;) {
    const std::vector<DWORD> explorers = ExplorersStartedByTheDesktop();
    const bool allUp = std::all_of(explorers.begin(), explorers.end(), HasVisibleWindow);
    if (allUp || Clock::now() > deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void RemoveProgramGroup(const AnsiString& group) {
  AwaitProgramManagerWindows();
  const std::wstring name = Wide(group);
  TitleSearch search{&name};
  ::EnumWindows(CloseGroupWindow, reinterpret_cast<LPARAM>(&search));
  RemoveTree(ProgramsFolder() + name + L"\\");
}

}  // namespace contract
