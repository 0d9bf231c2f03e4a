#pragma once
// Processes, windows of other programs and synchronisation objects.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

namespace platform {

constexpr unsigned long kErrorAlreadyExists = 183;

// A named, process-wide mutex. The handle stays open for the life of the object (the setup keeps
// it until the process ends, which releases it).
class NamedMutex {
 public:
  // CreateMutexA(no security attributes, initial owner, name); the last error is read at once.
  static NamedMutex Create(const AnsiString& name);
  NamedMutex(NamedMutex&&) noexcept;
  NamedMutex& operator=(NamedMutex&&) noexcept;
  ~NamedMutex();

  // GetLastError right after creation: kErrorAlreadyExists when another process holds the name.
  unsigned long CreationError() const;
  // ReleaseMutex on the handle; its result is ignored.
  void Release();

  struct Impl;

 private:
  explicit NamedMutex(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Executable names (PROCESSENTRY32W szExeFile, as the system gives them, in code page 936) of
// every process, or nothing when the process snapshot is unavailable. A name that code page 936
// cannot hold is left out rather than reported: it is none the setup looks for, and one process
// with a foreign name must not stop the setup.
std::optional<std::vector<AnsiString>> SnapshotProcessNames();

// A top-level window of any process; 0 means none.
using WindowRef = std::uintptr_t;

// FindWindowW(className, no title): the first top-level window of that class in Z order.
WindowRef FindTopLevelWindow(const AnsiString& className);
// GetWindow(window, GW_HWNDNEXT): the next top-level window in Z order, 0 after the last.
WindowRef NextWindowInZOrder(WindowRef window);
// GetWindowTextW, cut to 254 bytes of code page 936 text on a whole character (the limit of a
// 256-byte buffer). EEncodingError for a title that code page 936 cannot hold.
AnsiString WindowTitle(WindowRef window);
// GetClassNameW compared with className, exactly. A class name that code page 936 cannot hold is
// no class the program looks for, so it is compared in UTF-16 and never converted.
bool WindowHasClass(WindowRef window, const AnsiString& className);
// GetWindowThreadProcessId.
std::uint32_t WindowProcessId(WindowRef window);
// OpenProcess(PROCESS_TERMINATE) and TerminateProcess(exitCode); results are ignored, no wait.
void TerminateProcessById(std::uint32_t processId, std::uint32_t exitCode);

// ---- This program's own process, and programs it starts

// The full path of this program's file (GetModuleFileNameW of the process's own module).
AnsiString OwnProgramPath();
// GetCurrentProcessId.
std::uint32_t OwnProcessId();
// Starts file with the parameters (CreateProcessW of the line "\"file\" parameters", the
// file's own folder as the current one) and waits until it ends, serving this thread's messages
// meanwhile: its exit code; nothing when it could not be started.
std::optional<std::uint32_t> RunAndWait(const AnsiString& file, const AnsiString& parameters);
// Starts it the same way without waiting; false when it could not be started.
bool StartProgram(const AnsiString& file, const AnsiString& parameters);
// Waits until the process ends, at most timeout milliseconds, serving this thread's messages
// meanwhile; at once when there is no such process (it ended already).
void WaitForProcessEnd(std::uint32_t processId, std::uint32_t timeoutMilliseconds);

// Sleep(ms). The simulated machine advances its virtual clock instead of waiting.
void Sleep(std::uint32_t milliseconds);

}  // namespace platform
