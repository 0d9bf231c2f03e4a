#pragma once
// The processes of the simulated machine: the process list (with the exit codes of terminated
// ones), the top-level windows in Z order, the calls to end a process, and named mutexes.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Process.h"

namespace sim {

struct SimProcess {
  std::uint32_t id = 0;
  AnsiString exeName;  // as PROCESSENTRY32 szExeFile gives it
  bool running = true;
  std::uint32_t exitCode = 0;  // meaningful once terminated
};

struct SimWindow {
  platform::WindowRef ref = 0;
  AnsiString className;
  AnsiString title;
  std::uint32_t processId = 0;
};

// One program this program started: the file, its parameters, whether it waited for its end.
struct ProgramStart {
  AnsiString file;
  AnsiString parameters;
  bool waited = false;
};

struct TerminateCall {
  std::uint32_t processId;
  std::uint32_t exitCode;
};

class SimProcesses {
 public:
  // ---- Processes and top-level windows
  // Starts a process; returns its id.
  std::uint32_t AddProcess(const AnsiString& exeName);
  std::optional<SimProcess> Process(std::uint32_t id) const;
  std::vector<SimProcess> List() const;
  // When false, the process snapshot cannot be taken (SnapshotProcessNames gives nothing).
  void SetSnapshotAvailable(bool available);
  bool SnapshotAvailable() const;
  // Adds a top-level window below all others in Z order; returns its reference.
  platform::WindowRef AddWindow(const AnsiString& className, const AnsiString& title,
                                std::uint32_t processId);
  // Top-level windows, top of the Z order first.
  std::vector<SimWindow> Windows() const;
  std::optional<SimWindow> Window(platform::WindowRef ref) const;
  // TerminateProcess: a running process ends with the exit code and its windows go away.
  // Every call is logged, also for unknown or ended processes.
  void TerminateProcess(std::uint32_t id, std::uint32_t exitCode);
  std::vector<TerminateCall> TerminateCalls() const;

  // ---- Named mutexes (names are case-sensitive, as kernel object names are)
  // Another process holds a mutex of this name.
  void HoldMutexElsewhere(const AnsiString& name);
  // Open handles of this process on the name.
  int MutexHandles(const AnsiString& name) const;
  // True when this process owns the mutex (created it first with initial ownership and has not
  // released it).
  bool MutexOwnedHere(const AnsiString& name) const;
  // Used by NamedMutex: opens a handle; returns the creation error (0 or 183) and whether the
  // handle was granted ownership.
  std::pair<unsigned long, bool> OpenMutex(const AnsiString& name);
  void CloseMutex(const AnsiString& name, bool owner);
  // ReleaseMutex: only the owning handle releases; false otherwise.
  bool ReleaseMutex(const AnsiString& name, bool owner);

  // ---- This program and the programs it starts
  // The path of this program's own file ("C:\\Setup\\setup.exe" unless a test sets another).
  void SetOwnProgramPath(const AnsiString& path);
  AnsiString OwnProgramPath() const;
  // The programs started, in order. A program started and waited for ends at once with the
  // exit code set here (0 unless set); a file that does not exist cannot be started.
  void RecordProgramStart(const ProgramStart& start);
  std::vector<ProgramStart> ProgramStarts() const;
  void SetStartedProgramsExitCode(std::uint32_t code);
  std::uint32_t StartedProgramsExitCode() const;

 private:
  struct MutexState {
    int handles = 0;
    bool heldElsewhere = false;
    bool ownedHere = false;
  };

  mutable std::mutex mutex_;
  std::vector<SimProcess> processes_;
  std::uint32_t nextProcessId_ = 1000;
  bool snapshotAvailable_ = true;
  std::vector<SimWindow> windows_;
  platform::WindowRef nextWindow_ = 0x10010;
  std::vector<TerminateCall> terminateCalls_;
  AnsiString ownProgramPath_ = "C:\\Setup\\setup.exe";
  std::vector<ProgramStart> programStarts_;
  std::uint32_t startedProgramsExitCode_ = 0;
  std::map<AnsiString, MutexState> mutexes_;
};

}  // namespace sim
