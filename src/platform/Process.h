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

// Executable names (PROCESSENTRY32 szExeFile, as the system gives them) of every process, or
// nothing when the process snapshot is unavailable.
std::optional<std::vector<AnsiString>> SnapshotProcessNames();

// A top-level window of any process; 0 means none.
using WindowRef = std::uintptr_t;

// FindWindowA(className, no title): the first top-level window of that class in Z order.
WindowRef FindTopLevelWindow(const AnsiString& className);
// GetWindow(window, GW_HWNDNEXT): the next top-level window in Z order, 0 after the last.
WindowRef NextWindowInZOrder(WindowRef window);
// GetWindowTextA into a 256-byte buffer with the limit 255.
AnsiString WindowTitle(WindowRef window);
// GetClassNameA.
AnsiString WindowClassName(WindowRef window);
// GetWindowThreadProcessId.
std::uint32_t WindowProcessId(WindowRef window);
// OpenProcess(PROCESS_TERMINATE) and TerminateProcess(exitCode); results are ignored, no wait.
void TerminateProcessById(std::uint32_t processId, std::uint32_t exitCode);

// Sleep(ms). The simulated machine advances its virtual clock instead of waiting.
void Sleep(std::uint32_t milliseconds);

}  // namespace platform
