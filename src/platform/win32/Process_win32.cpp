#include "platform/Process.h"

#include <cwchar>
#include <string_view>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
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
  impl->handle.Reset(::CreateMutexW(nullptr, TRUE, win32::Wide(name).c_str()));
  impl->creationError = ::GetLastError();
  return NamedMutex(std::move(impl));
}

unsigned long NamedMutex::CreationError() const { return impl_->creationError; }

void NamedMutex::Release() { ::ReleaseMutex(impl_->handle.Get()); }

namespace {

// The tool-help functions, looked up at run time: systems without them have no process list.
struct ToolHelp {
  using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
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
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return help;
  help.createSnapshot = LookUp<ToolHelp::CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
  help.first = LookUp<ToolHelp::WalkFn>(kernel, "Process32FirstW");
  help.next = LookUp<ToolHelp::WalkFn>(kernel, "Process32NextW");
  return help;
}

// The entry's executable name; nothing when code page 936 has no form for it: such a name is
// none the setup looks for.
std::optional<AnsiString> ExeName(const PROCESSENTRY32W& entry) {
  const std::size_t capacity = sizeof(entry.szExeFile) / sizeof(entry.szExeFile[0]);
  const std::wstring_view name(entry.szExeFile, ::wcsnlen(entry.szExeFile, capacity));
  try {
    return win32::Narrow(name);
  } catch (const EEncodingError&) {
    return std::nullopt;
  }
}

// The record the 32-bit program hands to the walk: its size field reads 556.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32W) == 556, "PROCESSENTRY32W layout");

// Window texts and class names fill 256-character buffers, as the system's limits allow.
constexpr int kWindowTextBuffer = 256;
// The window title buffer of the program holds 255 bytes with the final NUL.
constexpr std::size_t kWindowTitleLimit = 254;

// text cut to at most limit bytes without splitting a two-byte character.
AnsiString CutToWholeCharacters(const AnsiString& text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + (IsLeadByte(text[end]) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

HWND ToHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef ToRef(HWND window) { return reinterpret_cast<WindowRef>(window); }

}  // namespace

std::optional<std::vector<AnsiString>> SnapshotProcessNames() {
  const ToolHelp help = LookUpToolHelp();
  if (!help.Found()) return std::nullopt;
  win32::UniqueFileHandle snapshot(help.createSnapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;

  std::vector<AnsiString> names;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);  // 556 bytes in the 32-bit program
  for (BOOL more = help.first(snapshot.Get(), &entry); more;
       more = help.next(snapshot.Get(), &entry)) {
    if (auto name = ExeName(entry)) names.push_back(std::move(*name));
  }
  return names;
}

WindowRef FindTopLevelWindow(const AnsiString& className) {
  return ToRef(::FindWindowW(win32::Wide(className).c_str(), nullptr));
}

WindowRef NextWindowInZOrder(WindowRef window) {
  return ToRef(::GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

AnsiString WindowTitle(WindowRef window) {
  wchar_t buffer[kWindowTextBuffer] = {};
  const int length = ::GetWindowTextW(ToHwnd(window), buffer, kWindowTextBuffer);
  const AnsiString title =
      win32::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
  return CutToWholeCharacters(title, kWindowTitleLimit);
}

bool WindowHasClass(WindowRef window, const AnsiString& className) {
  wchar_t buffer[kWindowTextBuffer] = {};
  const int length = ::GetClassNameW(ToHwnd(window), buffer, kWindowTextBuffer);
  return std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)) ==
         win32::Wide(className);
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

AnsiString OwnProgramPath() {
  // A path may be longer than MAX_PATH: the buffer grows until the whole name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return AnsiString();
    if (length < buffer.size()) return win32::Narrow(std::wstring_view(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

std::uint32_t OwnProcessId() { return ::GetCurrentProcessId(); }

namespace {

// The started process, or an empty handle when it could not be started.
win32::UniqueHandle Start(const AnsiString& file, const AnsiString& parameters) {
  std::wstring line = win32::Wide("\"" + file + "\" " + parameters);  // CreateProcessW writes to it
  const std::size_t separator = LastDelimiter(file, "\\");
  const std::wstring folder =
      win32::Wide(separator == AnsiString::npos ? AnsiString(".") : file.substr(0, separator + 1));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(win32::Wide(file).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
    return win32::UniqueHandle();
  }
  ::CloseHandle(process.hThread);
  return win32::UniqueHandle(process.hProcess);
}

// Waits for the object while serving the thread's messages: a program with windows that stops
// answering would hold up every program that sends to all windows (a DDE conversation's start
// among them). True when the object was signalled.
bool WaitServingMessages(HANDLE object, DWORD timeoutMilliseconds) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMilliseconds;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = timeoutMilliseconds == INFINITE ? INFINITE
                       : now >= deadline               ? 0
                                                       : static_cast<DWORD>(deadline - now);
    const DWORD woke = ::MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace

std::optional<std::uint32_t> RunAndWait(const AnsiString& file, const AnsiString& parameters) {
  const win32::UniqueHandle process = Start(file, parameters);
  if (!process) return std::nullopt;
  WaitServingMessages(process.Get(), INFINITE);
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.Get(), &code)) return std::nullopt;
  return code;
}

bool StartProgram(const AnsiString& file, const AnsiString& parameters) {
  return static_cast<bool>(Start(file, parameters));
}

void WaitForProcessEnd(std::uint32_t processId, std::uint32_t timeoutMilliseconds) {
  const win32::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (process) WaitServingMessages(process.Get(), timeoutMilliseconds);
}

}  // namespace platform
