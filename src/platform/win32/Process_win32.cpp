#include "platform/Process.h"

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <tlhelp32.h>

namespace platform {

struct NamedMutex::Impl {
  win32::UniqueHandle handle;
  DWORD creationError = 0;
};

NamedMutex::NamedMutex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
NamedMutex::NamedMutex(NamedMutex&&) noexcept = default;
NamedMutex& NamedMutex::operator=(NamedMutex&&) noexcept = default;
NamedMutex::~NamedMutex() = default;

NamedMutex NamedMutex::Create(const AnsiString& name) {
  auto impl = std::make_unique<Impl>();
  impl->handle.Reset(::CreateMutexA(nullptr, TRUE, name.c_str()));
  impl->creationError = ::GetLastError();
  return NamedMutex(std::move(impl));
}

unsigned long NamedMutex::CreationError() const { return impl_->creationError; }

void NamedMutex::Release() { ::ReleaseMutex(impl_->handle.Get()); }

namespace {

// The tool-help functions, looked up at run time: systems without them have no process list.
struct ToolHelp {
  using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
  CreateSnapshotFn createSnapshot = nullptr;
  WalkFn first = nullptr;
  WalkFn next = nullptr;

  bool Found() const { return createSnapshot && first && next; }
};

template <class Fn>
Fn LookUp(HMODULE module, const char* name) {
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

ToolHelp LookUpToolHelp() {
  ToolHelp help;
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return help;
  help.createSnapshot = LookUp<ToolHelp::CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
  help.first = LookUp<ToolHelp::WalkFn>(kernel, "Process32First");
  help.next = LookUp<ToolHelp::WalkFn>(kernel, "Process32Next");
  return help;
}

AnsiString ExeName(const PROCESSENTRY32& entry) {
  std::size_t length = 0;
  while (length < sizeof(entry.szExeFile) && entry.szExeFile[length] != '\0') ++length;
  return AnsiString(entry.szExeFile, length);
}

// The record the 32-bit program hands to the walk: its size field reads 296.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 layout");

HWND ToHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef ToRef(HWND window) { return reinterpret_cast<WindowRef>(window); }

}  // namespace

std::optional<std::vector<AnsiString>> SnapshotProcessNames() {
  const ToolHelp help = LookUpToolHelp();
  if (!help.Found()) return std::nullopt;
  win32::UniqueFileHandle snapshot(help.createSnapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;

  std::vector<AnsiString> names;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);  // 296 bytes in the 32-bit program
  for (BOOL more = help.first(snapshot.Get(), &entry); more;
       more = help.next(snapshot.Get(), &entry)) {
    names.push_back(ExeName(entry));
  }
  return names;
}

WindowRef FindTopLevelWindow(const AnsiString& className) {
  return ToRef(::FindWindowA(className.c_str(), nullptr));
}

WindowRef NextWindowInZOrder(WindowRef window) {
  return ToRef(::GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

AnsiString WindowTitle(WindowRef window) {
  char buffer[256] = {};
  ::GetWindowTextA(ToHwnd(window), buffer, 255);
  return AnsiString(buffer);
}

AnsiString WindowClassName(WindowRef window) {
  char buffer[256] = {};
  ::GetClassNameA(ToHwnd(window), buffer, sizeof(buffer));
  return AnsiString(buffer);
}

std::uint32_t WindowProcessId(WindowRef window) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(ToHwnd(window), &processId);
  return processId;
}

void TerminateProcessById(std::uint32_t processId, std::uint32_t exitCode) {
  win32::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, processId));
  ::TerminateProcess(process.Get(), exitCode);
}

void Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
