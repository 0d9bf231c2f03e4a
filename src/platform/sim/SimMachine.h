#pragma once
// One simulated Windows for the host build. A test makes one SimMachine on a fresh host folder;
// while it lives it is the machine that the sim platform services (Files, Drives, Process,
// IniFile, Registry, Resources, Shell, SystemThread) act on. Files are real host files below the
// drive folders, so tests compare real bytes; everything else (drive sizes, the registry,
// processes, windows, mutexes, resources, the folder browser's answers, the shell-execute log,
// Program Manager and its DDE conversations, the common desktop folder, the shell links saved and
// the shell's association notices, the clock) is plain state that tests arrange and inspect.
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/sim/SimProgramManager.h"

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

// The kinds of registry data the machine tells apart.
enum class RegistryType { String, ExpandString, MultiString, DWord, Binary };

// One registry value. The string kinds hold code page 936 text as stored (a multi-string its
// strings each ended by a NUL, then one more NUL); the others hold their bytes as stored (a
// DWORD its four bytes, low byte first).
struct RegistryValue {
  RegistryType type = RegistryType::String;
  std::string data;
  bool operator==(const RegistryValue& other) const {
    return type == other.type && data == other.data;
  }
};

// A DWORD value's data.
RegistryValue DWordValue(std::uint32_t number);

// One opening of the folder browser.
struct FolderBrowserOpening {
  AnsiString owner;  // the owner form's name, "" without one
  AnsiString title;
  AnsiString initialFolder;         // as asked for
  bool initialFolderShown = false;  // pre-selected: it exists
};

// One shell link saved through IPersistFile::Save: the link's file, its target and working folder.
struct SavedShellLink {
  AnsiString file;
  AnsiString target;
  AnsiString workingFolder;
};

// One ShellExecute call.
struct ShellExecuteCall {
  AnsiString owner;  // the owner form's name, "" without one
  AnsiString operation;
  AnsiString file;
  AnsiString parameters;
  AnsiString directory;
  int showCommand = 0;
  bool throughDesktopShell = false;  // started by the desktop shell's process, as its user
};

class SimMachine {
 public:
  // Builds the machine on root: drive C: is root/"C", the Windows folder C:\WINDOWS and the
  // common desktop folder are created.
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
  // Maps drive letter to a host folder (created if missing), with the default sizes (100 GB,
  // 50 GB of it free) and a medium in it. Mapping a mapped letter again starts it afresh.
  void MapDrive(char letter, const std::filesystem::path& hostFolder);
  void UnmapDrive(char letter);
  // The mapped letters, in alphabetical order.
  std::vector<char> DriveLetters() const;
  static constexpr std::uint64_t kDefaultDriveTotalBytes = 100ull << 30;
  static constexpr std::uint64_t kDefaultDriveFreeBytes = 50ull << 30;
  // The total size and the free space of a mapped drive; std::logic_error for an unmapped one.
  void SetDriveSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes);
  // A drive without a medium (an empty disc drive): still listed, but it cannot be queried and
  // holds no files or folders. std::logic_error for an unmapped letter.
  void SetDriveMedium(char letter, bool present);
  // The drive's total and free bytes; nothing when it is not mapped or has no medium.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> DriveSpace(char letter) const;
  // The host file or folder of a Windows path ("C:\A\b.txt", also with '/' separators).
  // Existing components are matched without regard to ASCII case, new ones are taken as
  // written; host names are UTF-8. Empty when the drive is not mapped, has no medium, or the
  // path has none.
  std::filesystem::path HostPath(const AnsiString& windowsPath) const;
  // The Windows folder (default "C:\WINDOWS"); setting it does not create it.
  AnsiString WindowsFolder() const;
  void SetWindowsFolder(const AnsiString& path);
  // A file another process keeps open without sharing: creating or opening it fails with the
  // sharing-violation reason.
  void LockFile(const AnsiString& windowsPath);
  bool IsLocked(const std::filesystem::path& hostPath) const;

  // ---- Private folders (a fresh random name, only Administrators and SYSTEM let in)
  // The name the next private folder will try first ("KorvSetup-" and 16 hex digits); each try
  // takes a name, so a test can plant something there and see it passed over.
  AnsiString PeekPrivateFolderName() const;
  AnsiString TakePrivateFolderName();
  // The private folders made, in order (Windows paths, without a trailing backslash).
  void RecordPrivateFolder(const AnsiString& windowsPath);
  std::vector<AnsiString> PrivateFolders() const;
  // The system refuses to make private folders (no right to set the access list, a full disk).
  void SetPrivateFoldersRefused(bool refused);
  bool PrivateFoldersRefused() const;

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

  // ---- Registry: HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, each its own tree
  // Key paths are backslash-separated below the root (empty parts are skipped); key and value
  // names are compared without regard to case (ASCII, and the full-width, Greek and Cyrillic
  // letters of code page 936), and keep the case they were first given.
  // Arranges a value, creating its key and missing parents; an empty name is the key's
  // default value. Works also where the program may not write: it is the test's doing.
  void SetRegistryValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                        RegistryValue value);
  std::optional<RegistryValue> GetRegistryValue(platform::RootKey root, const AnsiString& key,
                                                const AnsiString& name) const;
  // The key's value names as first given, in the order they were first set.
  std::vector<AnsiString> RegistryValueNames(platform::RootKey root, const AnsiString& key) const;
  bool RegistryKeyExists(platform::RootKey root, const AnsiString& key) const;
  // The program runs as a user without the right to write below root: a key there cannot be
  // created, nor opened with the full access the program asks for.
  void SetRegistryWritesRefused(platform::RootKey root, bool refused);
  // For the registry accessor: opens key with full access, creating it and its missing parents
  // when canCreate; false when it does not exist (and may not be created) or writes are refused.
  bool OpenRegistryKey(platform::RootKey root, const AnsiString& key, bool canCreate);

  // ---- Shell: the folder browser and ShellExecute
  // The answers of the next folder-browser openings, in order: a chosen folder (it must exist
  // when the browser opens) or a cancel.
  void ScriptFolderChoice(const AnsiString& folder);
  void ScriptFolderBrowserCancel();
  int PendingFolderBrowserAnswers() const;
  // For the sim's browser: records the opening and takes the next answer; std::logic_error when
  // none is scripted, as a test that opens the browser unplanned must fail.
  std::optional<AnsiString> OpenFolderBrowser(const FolderBrowserOpening& opening);
  std::vector<FolderBrowserOpening> FolderBrowserOpenings() const;
  void RecordShellExecute(const ShellExecuteCall& call);
  // The program's command line ("setup.exe" unless a test gives another).
  void SetCommandLine(const AnsiString& line);
  AnsiString CommandLine() const;
  // Whether the desktop shell offers its automation object (a desktop shell runs by default).
  void SetDesktopShellAvailable(bool available);
  bool DesktopShellAvailable() const;
  std::vector<ShellExecuteCall> ShellExecuteLog() const;

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

  // ---- Program Manager, its DDE conversations and the programs started to serve them
  // Program Manager runs unless a test says otherwise.
  void SetProgramManager(ProgramManagerState state);
  ProgramManagerState GetProgramManager() const;
  // Every conversation opened with Program Manager, in order, with the commands sent in it.
  std::vector<DdeConversationRecord> DdeConversations() const;
  // Program Manager's groups (names as first given, in order of making), and a group's item
  // titles (nothing when there is no such group), as its commands made them.
  std::vector<AnsiString> ProgramGroups() const;
  std::optional<std::vector<AnsiString>> ProgramGroupItems(const AnsiString& group) const;
  // The command lines the program asked to start, in order.
  std::vector<AnsiString> StartedPrograms() const;
  // For the sim's DDE: DdeConnect (service and topic "ProgMan", without regard to case, while
  // Program Manager runs); the conversation's number, or nothing when nobody answers.
  std::optional<std::size_t> ConnectDde(const AnsiString& service, const AnsiString& topic);
  // Records the command and has Program Manager carry it out; its answer, or nothing when it
  // gives none in time (a hung Program Manager).
  std::optional<bool> ExecuteDde(std::size_t conversation, const AnsiString& command, bool waited);
  // The simulated Program Manager itself, for a test to set how it answers.
  SimProgramManager& ProgramManager() { return programManager_; }
  void DisconnectDde(std::size_t conversation);
  // For the sim's program start: records the command line; only Program Manager can be started
  // ("progman" as the first word, with or without ".exe"), and only when it is not missing.
  bool StartProgram(const AnsiString& commandLine);

  // ---- Shell links, the common desktop folder and the shell's association notices
  // The all-users desktop folder: "C:\Users\Public\Desktop", made with the machine, unless a
  // test sets another (which is not created); "" stands for a system that cannot name it.
  AnsiString CommonDesktopFolder() const;
  void SetCommonDesktopFolder(const AnsiString& path);
  // Makes every following shell link creation fail with "Class not registered", as on a system
  // without the ShellLink class.
  void SetShellLinkRefused(bool refused);
  bool ShellLinkRefused() const;
  // For the sim's shell link: writes the link's file (replacing one) below the drive mapping and
  // records the link. False, and nothing recorded, when the file's folder does not exist, the
  // file cannot be written (a folder of that name, a locked file) or its drive is not there.
  bool SaveShellLink(const SavedShellLink& link);
  // The links saved, in order of saving (a file saved twice appears twice).
  std::vector<SavedShellLink> SavedShellLinks() const;
  // SHChangeNotify(SHCNE_ASSOCCHANGED): how many times the program said so.
  void RecordAssociationNotice();
  int AssociationNotices() const;

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

  struct Drive {
    std::filesystem::path host;
    std::uint64_t totalBytes = kDefaultDriveTotalBytes;
    std::uint64_t freeBytes = kDefaultDriveFreeBytes;
    bool medium = true;
  };
  struct RegistryKeyState {
    AnsiString path;  // as first given
    // By folded name: the name as first given and the value.
    std::map<AnsiString, std::pair<AnsiString, RegistryValue>> values;
    std::vector<AnsiString> order;  // folded names, in the order first set
  };
  struct Hive {
    std::map<AnsiString, RegistryKeyState> keys;  // by folded path; the root is ""
    bool writesRefused = false;
  };

  std::filesystem::path HostPathLocked(const AnsiString& windowsPath) const;
  Drive& MappedDrive(char letter);
  Hive& HiveOf(platform::RootKey root) { return hives_[static_cast<int>(root)]; }
  const Hive& HiveOf(platform::RootKey root) const { return hives_[static_cast<int>(root)]; }
  RegistryKeyState& CreateKeyLocked(Hive& hive, const AnsiString& key);
  // The key, or null when it does not exist.
  const RegistryKeyState* FindKeyLocked(const Hive& hive, const AnsiString& key) const;

  mutable std::mutex mutex_;
  std::uint64_t serial_;
  std::map<char, Drive> drives_;
  Hive hives_[2];
  const RegistryKeyState emptyKey_{};  // the root of a hive that was never written to
  std::deque<std::optional<AnsiString>> folderBrowserAnswers_;
  std::vector<FolderBrowserOpening> folderBrowserOpenings_;
  std::vector<ShellExecuteCall> shellExecuteLog_;
  AnsiString windowsFolder_ = "C:\\WINDOWS";
  std::vector<std::filesystem::path> lockedFiles_;
  std::uint64_t privateFolderNames_ = 0;
  std::vector<AnsiString> privateFolders_;
  bool privateFoldersRefused_ = false;
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
  ProgramManagerState programManagerState_ = ProgramManagerState::Running;
  SimProgramManager programManager_;
  std::vector<DdeConversationRecord> ddeConversations_;
  std::vector<AnsiString> startedPrograms_;
  AnsiString commonDesktopFolder_ = "C:\\Users\\Public\\Desktop";
  bool shellLinkRefused_ = false;
  std::vector<SavedShellLink> savedShellLinks_;
  int associationNotices_ = 0;
  bool desktopShellAvailable_ = true;
  AnsiString commandLine_ = "\"C:\\Downloads\\setup.exe\"";
};

}  // namespace sim
