#pragma once
// One simulated Windows for the host build. A test makes one SimMachine on a fresh host folder;
// while it lives it is the machine that the sim platform services (Files, Process, IniFile,
// Resources, SystemThread) act on. Files are real host files below the drive folders, so tests
// compare real bytes; everything else (processes, windows, mutexes, resources, the clock) is
// plain state that tests arrange and inspect.
//
// Still to come with the parts that need them: the registry (HKCU, HKCR), drive sizes, the
// common desktop folder, the Program Manager's DDE command log and the shell-execute log.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Process.h"

namespace sim {

// A fresh, empty host folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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

struct TerminateCall {
  std::uint32_t processId;
  std::uint32_t exitCode;
};

// What the machine knows of one SystemThread. Shared between the machine, the thread object
// and the running thread, so it outlives whichever goes first.
struct SimThreadRecord {
  explicit SimThreadRecord(std::uint32_t threadId) : id(threadId) {}
  const std::uint32_t id;
  std::atomic<int> priority{0};
  std::atomic<int> suspendCount{1};  // created suspended
  std::atomic<bool> started{false};  // resumed at least once: the body runs or has run
  std::atomic<bool> finished{false};
};

// A copy of a SimThreadRecord at one moment.
struct SimThreadInfo {
  std::uint32_t id = 0;
  int priority = 0;
  int suspendCount = 0;
  bool started = false;
  bool finished = false;
};

class SimMachine {
 public:
  // Builds the machine on root: drive C: is root/"C", the Windows folder C:\WINDOWS is created.
  explicit SimMachine(const std::filesystem::path& root);
  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // The machine the sim services act on; throws std::logic_error when none exists.
  static SimMachine& Current();
  static SimMachine* CurrentOrNull();
  // Distinguishes machines for objects (mutex handles) that might outlive theirs.
  std::uint64_t Serial() const { return serial_; }

  // ---- Drives and files
  // Maps drive letter to a host folder (created if missing).
  void MapDrive(char letter, const std::filesystem::path& hostFolder);
  void UnmapDrive(char letter);
  std::vector<char> DriveLetters() const;
  // The host file or folder of a Windows path ("C:\A\b.txt", also with '/' separators).
  // Existing components are matched without regard to ASCII case, new ones are taken as
  // written; host names are UTF-8. Empty when the drive is not mapped or the path has none.
  std::filesystem::path HostPath(const AnsiString& windowsPath) const;
  // The Windows folder (default "C:\WINDOWS"); setting it does not create it.
  AnsiString WindowsFolder() const;
  void SetWindowsFolder(const AnsiString& path);
  // A file another process keeps open without sharing: creating or opening it fails with the
  // sharing-violation reason.
  void LockFile(const AnsiString& windowsPath);
  bool IsLocked(const std::filesystem::path& hostPath) const;

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

  // ---- Processes and top-level windows
  // Starts a process; returns its id.
  std::uint32_t AddProcess(const AnsiString& exeName);
  std::optional<SimProcess> Process(std::uint32_t id) const;
  std::vector<SimProcess> Processes() const;
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

  // ---- Payload resources of the running module
  void AddResource(const AnsiString& name, const AnsiString& type, std::string bytes);
  // Pointer stays valid for the life of the machine; null when absent (case-insensitive).
  const std::string* FindResource(const AnsiString& name, const AnsiString& type) const;

  // ---- Virtual clock, in milliseconds since the machine started
  std::uint64_t Now() const;
  void Advance(std::uint64_t milliseconds);
  // Total time Sleep asked for.
  std::uint64_t SleptMilliseconds() const;
  void RecordSleep(std::uint32_t milliseconds);

  // ---- Threads made through SystemThread
  std::shared_ptr<SimThreadRecord> RegisterThread(std::uint32_t id);
  // Live threads: started and not yet finished (they may still queue synchronised calls).
  int RunningThreadCount() const;
  std::vector<SimThreadInfo> Threads() const;
  std::optional<SimThreadInfo> Thread(std::uint32_t id) const;
  // Makes the next thread creations fail with this system reason (empty: succeed again).
  void SetThreadCreationFailure(const AnsiString& reason);
  AnsiString ThreadCreationFailure() const;
  // Makes the system refuse every priority change.
  void SetPriorityChangeRefused(bool refused);
  bool PriorityChangeRefused() const;

  // ---- COM apartments, per thread (OleInitialize / OleUninitialize)
  // Opens an apartment on the thread; openings nest, as the system counts them. False, and
  // nothing opened, when the machine refuses COM.
  bool OpenComApartment(std::uint32_t threadId);
  void CloseComApartment(std::uint32_t threadId);
  // True while the thread has an apartment open: COM may be used on it.
  bool ComInitialized(std::uint32_t threadId) const;
  // Makes every following OleInitialize fail, as it does on a thread already in another kind of
  // apartment.
  void SetComRefused(bool refused);

 private:
  struct MutexState {
    int handles = 0;
    bool heldElsewhere = false;
    bool ownedHere = false;
  };
  struct Resource {
    AnsiString name;
    AnsiString type;
    std::unique_ptr<std::string> bytes;
  };

  std::filesystem::path HostPathLocked(const AnsiString& windowsPath) const;

  mutable std::mutex mutex_;
  std::uint64_t serial_;
  std::map<char, std::filesystem::path> drives_;
  AnsiString windowsFolder_ = "C:\\WINDOWS";
  std::vector<std::filesystem::path> lockedFiles_;
  std::map<AnsiString, MutexState> mutexes_;
  std::vector<SimProcess> processes_;
  std::uint32_t nextProcessId_ = 1000;
  bool snapshotAvailable_ = true;
  std::vector<SimWindow> windows_;
  platform::WindowRef nextWindow_ = 0x10010;
  std::vector<TerminateCall> terminateCalls_;
  std::vector<Resource> resources_;
  std::uint64_t now_ = 0;
  std::uint64_t slept_ = 0;
  std::vector<std::shared_ptr<SimThreadRecord>> threads_;
  AnsiString threadCreationFailure_;
  bool priorityChangeRefused_ = false;
  std::map<std::uint32_t, int> comApartments_;  // open apartments per thread id
  bool comRefused_ = false;
};

}  // namespace sim
