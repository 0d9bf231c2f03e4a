#pragma once
// One simulated Windows for the host build. A test makes one SimMachine on a fresh host folder;
// while it lives it is the machine that the sim platform services act on. The machine is the
// sum of its services, one part each, which tests arrange and inspect through it:
//   Files()      drives and their kinds, host paths, file marks, locked files, private folders
//   Registry()   HKEY_CURRENT_USER and HKEY_CLASSES_ROOT
//   Processes()  processes, top-level windows, named mutexes
//   Shell()      folder browser, ShellExecute, shell links, the common desktop folder
//   Dde()        Program Manager and the DDE conversations held with it
//   Threads()    threads made through SystemThread and their COM apartments
//   Clock()      the virtual clock Sleep and the timers run on
//   Module()     the running program's command line and payload resources
// Files are real host files below the drive folders, so tests compare real bytes; everything
// else is plain state.
#include <cstdint>
#include <filesystem>

#include "platform/sim/SimClock.h"
#include "platform/sim/SimDde.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimModule.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimThreads.h"
#include "platform/sim/TempFolder.h"

namespace sim {

// The folder for data all users' programs share, as current systems place it.
inline constexpr char kCommonAppDataFolder[] = "C:\\ProgramData";

class SimMachine {
 public:
  // Builds the machine on root: drive C: is root/"C", the Windows folder C:\WINDOWS, the
  // common desktop folder and the common application data folder are created.
  explicit SimMachine(const std::filesystem::path& root);
  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // The machine the sim services act on; throws std::logic_error when none exists.
  static SimMachine& Current();
  static SimMachine* CurrentOrNull();
  // Distinguishes machines for objects (mutex handles) that might outlive theirs.
  std::uint64_t Serial() const { return serial_; }

  SimFileSystem& Files() { return files_; }
  const SimFileSystem& Files() const { return files_; }
  SimRegistry& Registry() { return registry_; }
  const SimRegistry& Registry() const { return registry_; }
  SimProcesses& Processes() { return processes_; }
  const SimProcesses& Processes() const { return processes_; }
  SimShell& Shell() { return shell_; }
  const SimShell& Shell() const { return shell_; }
  SimDde& Dde() { return dde_; }
  const SimDde& Dde() const { return dde_; }
  SimThreads& Threads() { return threads_; }
  const SimThreads& Threads() const { return threads_; }
  SimClock& Clock() { return clock_; }
  const SimClock& Clock() const { return clock_; }
  SimModule& Module() { return module_; }
  const SimModule& Module() const { return module_; }

 private:
  const std::uint64_t serial_;
  SimFileSystem files_;  // before the parts that keep their state in files
  SimRegistry registry_;
  SimProcesses processes_;
  SimShell shell_{files_};
  SimDde dde_{files_};
  SimThreads threads_;
  SimClock clock_;
  SimModule module_;
};

}  // namespace sim
