#include "platform/sim/SimMachine.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/sim/Utf8.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

std::atomic<SimMachine*> currentMachine{nullptr};
std::atomic<std::uint64_t> nextSerial{1};

// Splits a Windows path into its components at '\' and '/'; a trail byte of a double-byte
// character is never taken for a separator.
std::vector<AnsiString> SplitComponents(const AnsiString& path) {
  std::vector<AnsiString> parts;
  AnsiString part;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsLeadByte(c) && i + 1 < path.size()) {
      part += c;
      part += path[++i];
    } else if (c == '\\' || c == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// Windows drops trailing dots and spaces of a path component.
AnsiString TrimComponent(AnsiString part) {
  if (part == "." || part == "..") return part;
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
  return part;
}

// The existing entry of folder whose name equals name without regard to ASCII case.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return std::nullopt;
  std::optional<fs::path> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (entry == name) return it->path();
    if (!found && SameTextAscii(entry, name)) found = it->path();
  }
  return found;
}

char UpperLetter(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

// A registry name folded for comparison: the system compares names without regard to case,
// which among the characters of code page 936 concerns the ASCII letters and the full-width
// Latin (lead byte A3), Greek (A6) and Cyrillic (A7) letters. Other trail bytes are left alone,
// even where they fall among the ASCII letters.
AnsiString FoldName(const AnsiString& name) {
  AnsiString folded = name;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (IsLeadByte(folded[i]) && i + 1 < folded.size()) {
      const auto trail = static_cast<unsigned char>(folded[++i]);
      const bool upperLatinOrGreek = (byte == 0xA3 && trail >= 0xC1 && trail <= 0xDA) ||
                                     (byte == 0xA6 && trail >= 0xA1 && trail <= 0xB8);
      if (upperLatinOrGreek) folded[i] = static_cast<char>(trail + 0x20);
      if (byte == 0xA7 && trail >= 0xA1 && trail <= 0xC1)
        folded[i] = static_cast<char>(trail + 0x30);
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte + ('a' - 'A'));
    }
  }
  return folded;
}

// A key path as the names of its keys: split at backslashes that are characters of their own
// (a slash belongs to a key's name), empty parts skipped.
std::vector<AnsiString> KeyNames(const AnsiString& path) {
  std::vector<AnsiString> names(1);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i]) && i + 1 < path.size()) {
      names.back() += path.substr(i++, 2);
    } else if (path[i] != '\\') {
      names.back() += path[i];
    } else if (!names.back().empty()) {
      names.emplace_back();
    }
  }
  if (names.back().empty()) names.pop_back();
  return names;
}

// The path of a key as the machine files it: its names joined by single backslashes.
AnsiString KeyPath(const std::vector<AnsiString>& names, std::size_t count) {
  AnsiString path;
  for (std::size_t i = 0; i < count; ++i) path += (i == 0 ? "" : "\\") + names[i];
  return path;
}

}  // namespace

// ---------------------------------------------------------------- TempFolder

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "korv-sim-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

// ---------------------------------------------------------------- SimMachine

SimMachine::SimMachine(const fs::path& root) : serial_(nextSerial++) {
  SimMachine* expected = nullptr;
  if (!currentMachine.compare_exchange_strong(expected, this)) {
    throw std::logic_error("a SimMachine already exists; make one per test");
  }
  MapDrive('C', root / "C");
  fs::create_directories(HostPath(windowsFolder_));
  fs::create_directories(HostPath(commonDesktopFolder_));
}

SimMachine::~SimMachine() { currentMachine = nullptr; }

SimMachine& SimMachine::Current() {
  SimMachine* machine = currentMachine;
  if (!machine) throw std::logic_error("no SimMachine: the sim services need one per test");
  return *machine;
}

SimMachine* SimMachine::CurrentOrNull() { return currentMachine; }

void SimMachine::MapDrive(char letter, const fs::path& hostFolder) {
  fs::create_directories(hostFolder);
  std::lock_guard<std::mutex> lock(mutex_);
  Drive drive;
  drive.host = hostFolder;
  drives_[UpperLetter(letter)] = drive;
}

void SimMachine::UnmapDrive(char letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_.erase(UpperLetter(letter));
}

SimMachine::Drive& SimMachine::MappedDrive(char letter) {
  const auto drive = drives_.find(UpperLetter(letter));
  if (drive == drives_.end()) {
    throw std::logic_error(std::string("drive ") + UpperLetter(letter) + ": is not mapped");
  }
  return drive->second;
}

void SimMachine::SetDriveSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  Drive& drive = MappedDrive(letter);
  drive.totalBytes = totalBytes;
  drive.freeBytes = freeBytes;
}

void SimMachine::SetDriveMedium(char letter, bool present) {
  std::lock_guard<std::mutex> lock(mutex_);
  MappedDrive(letter).medium = present;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> SimMachine::DriveSpace(char letter) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto drive = drives_.find(UpperLetter(letter));
  if (drive == drives_.end() || !drive->second.medium) return std::nullopt;
  return std::make_pair(drive->second.totalBytes, drive->second.freeBytes);
}

std::vector<char> SimMachine::DriveLetters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<char> letters;
  for (const auto& drive : drives_) letters.push_back(drive.first);
  return letters;
}

fs::path SimMachine::HostPath(const AnsiString& windowsPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return HostPathLocked(windowsPath);
}

fs::path SimMachine::HostPathLocked(const AnsiString& windowsPath) const {
  char letter = 'C';  // a path without a drive is taken on the current drive, C:
  AnsiString rest = windowsPath;
  if (windowsPath.size() >= 2 && windowsPath[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0])));
    rest = windowsPath.substr(2);
  }
  if (windowsPath.empty()) return {};
  const auto drive = drives_.find(letter);
  if (drive == drives_.end() || !drive->second.medium) return {};

  const fs::path root = drive->second.host;
  std::vector<std::string> names;  // host names below the drive folder
  for (const AnsiString& raw : SplitComponents(rest)) {
    const AnsiString part = TrimComponent(raw);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    const std::string hostName = Utf8(part);
    fs::path folder = root;
    for (const auto& name : names) folder /= name;
    const auto existing = FindEntry(folder, hostName);
    names.push_back(existing ? existing->filename().string() : hostName);
  }
  fs::path result = root;
  for (const auto& name : names) result /= name;
  return result;
}

AnsiString SimMachine::WindowsFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windowsFolder_;
}

void SimMachine::SetWindowsFolder(const AnsiString& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  windowsFolder_ = path;
}

void SimMachine::LockFile(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  lockedFiles_.push_back(HostPathLocked(windowsPath));
}

bool SimMachine::IsLocked(const fs::path& hostPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(lockedFiles_.begin(), lockedFiles_.end(), hostPath) != lockedFiles_.end();
}

// ---------------------------------------------------------------- mutexes

void SimMachine::HoldMutexElsewhere(const AnsiString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  mutexes_[name].heldElsewhere = true;
}

int SimMachine::MutexHandles(const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  return it == mutexes_.end() ? 0 : it->second.handles;
}

bool SimMachine::MutexOwnedHere(const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  return it != mutexes_.end() && it->second.ownedHere;
}

std::pair<unsigned long, bool> SimMachine::OpenMutex(const AnsiString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  MutexState& state = mutexes_[name];
  const bool existed = state.heldElsewhere || state.handles > 0;
  ++state.handles;
  // Initial ownership is granted only to the handle that creates the mutex.
  if (!existed) state.ownedHere = true;
  return {existed ? platform::kErrorAlreadyExists : 0, !existed};
}

void SimMachine::CloseMutex(const AnsiString& name, bool /*owner*/) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  if (it == mutexes_.end()) return;
  if (--it->second.handles <= 0 && !it->second.heldElsewhere) mutexes_.erase(it);
}

bool SimMachine::ReleaseMutex(const AnsiString& name, bool owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  if (it == mutexes_.end() || !owner || !it->second.ownedHere) return false;
  it->second.ownedHere = false;
  return true;
}

// ---------------------------------------------------------------- processes and windows

std::uint32_t SimMachine::AddProcess(const AnsiString& exeName) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimProcess process;
  process.id = nextProcessId_;
  nextProcessId_ += 4;
  process.exeName = exeName;
  processes_.push_back(process);
  return process.id;
}

std::optional<SimProcess> SimMachine::Process(std::uint32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& process : processes_) {
    if (process.id == id) return process;
  }
  return std::nullopt;
}

std::vector<SimProcess> SimMachine::Processes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return processes_;
}

void SimMachine::SetSnapshotAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mutex_);
  snapshotAvailable_ = available;
}

bool SimMachine::SnapshotAvailable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return snapshotAvailable_;
}

platform::WindowRef SimMachine::AddWindow(const AnsiString& className, const AnsiString& title,
                                          std::uint32_t processId) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimWindow window;
  window.ref = nextWindow_;
  nextWindow_ += 0x10;
  window.className = className;
  window.title = title;
  window.processId = processId;
  windows_.push_back(window);
  return window.ref;
}

std::vector<SimWindow> SimMachine::Windows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_;
}

std::optional<SimWindow> SimMachine::Window(platform::WindowRef ref) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& window : windows_) {
    if (window.ref == ref) return window;
  }
  return std::nullopt;
}

void SimMachine::TerminateProcess(std::uint32_t id, std::uint32_t exitCode) {
  std::lock_guard<std::mutex> lock(mutex_);
  terminateCalls_.push_back({id, exitCode});
  for (auto& process : processes_) {
    if (process.id == id && process.running) {
      process.running = false;
      process.exitCode = exitCode;
      windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                    [id](const SimWindow& w) { return w.processId == id; }),
                     windows_.end());
    }
  }
}

std::vector<TerminateCall> SimMachine::TerminateCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return terminateCalls_;
}

// ---------------------------------------------------------------- registry

RegistryValue DWordValue(std::uint32_t number) {
  RegistryValue value;
  value.type = RegistryType::DWord;
  for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>(number >> shift);
  return value;
}

SimMachine::RegistryKeyState& SimMachine::CreateKeyLocked(Hive& hive, const AnsiString& key) {
  const std::vector<AnsiString> names = KeyNames(key);
  RegistryKeyState* state = &hive.keys[""];
  for (std::size_t count = 1; count <= names.size(); ++count) {
    const AnsiString path = KeyPath(names, count);
    state = &hive.keys[FoldName(path)];
    if (state->path.empty()) state->path = path;
  }
  return *state;
}

const SimMachine::RegistryKeyState* SimMachine::FindKeyLocked(const Hive& hive,
                                                              const AnsiString& key) const {
  const std::vector<AnsiString> names = KeyNames(key);
  const auto state = hive.keys.find(FoldName(KeyPath(names, names.size())));
  // The root is always there, with or without values.
  if (state == hive.keys.end()) return names.empty() ? &emptyKey_ : nullptr;
  return &state->second;
}

void SimMachine::SetRegistryValue(platform::RootKey root, const AnsiString& key,
                                  const AnsiString& name, RegistryValue value) {
  std::lock_guard<std::mutex> lock(mutex_);
  RegistryKeyState& state = CreateKeyLocked(HiveOf(root), key);
  const AnsiString folded = FoldName(name);
  const auto existing = state.values.find(folded);
  if (existing != state.values.end()) {
    existing->second.second = std::move(value);
    return;
  }
  state.values.emplace(folded, std::make_pair(name, std::move(value)));
  state.order.push_back(folded);
}

std::optional<RegistryValue> SimMachine::GetRegistryValue(platform::RootKey root,
                                                          const AnsiString& key,
                                                          const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const RegistryKeyState* state = FindKeyLocked(HiveOf(root), key);
  if (!state) return std::nullopt;
  const auto value = state->values.find(FoldName(name));
  if (value == state->values.end()) return std::nullopt;
  return value->second.second;
}

std::vector<AnsiString> SimMachine::RegistryValueNames(platform::RootKey root,
                                                       const AnsiString& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<AnsiString> names;
  const RegistryKeyState* state = FindKeyLocked(HiveOf(root), key);
  if (!state) return names;
  for (const AnsiString& folded : state->order) names.push_back(state->values.at(folded).first);
  return names;
}

bool SimMachine::RegistryKeyExists(platform::RootKey root, const AnsiString& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return FindKeyLocked(HiveOf(root), key) != nullptr;
}

void SimMachine::SetRegistryWritesRefused(platform::RootKey root, bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  HiveOf(root).writesRefused = refused;
}

bool SimMachine::OpenRegistryKey(platform::RootKey root, const AnsiString& key, bool canCreate) {
  std::lock_guard<std::mutex> lock(mutex_);
  Hive& hive = HiveOf(root);
  if (hive.writesRefused) return false;  // full access is what the program asks for
  if (FindKeyLocked(hive, key)) return true;
  if (!canCreate) return false;
  CreateKeyLocked(hive, key);
  return true;
}

// ---------------------------------------------------------------- shell

void SimMachine::ScriptFolderChoice(const AnsiString& folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserAnswers_.emplace_back(folder);
}

void SimMachine::ScriptFolderBrowserCancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserAnswers_.emplace_back(std::nullopt);
}

int SimMachine::PendingFolderBrowserAnswers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(folderBrowserAnswers_.size());
}

std::optional<AnsiString> SimMachine::OpenFolderBrowser(const FolderBrowserOpening& opening) {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserOpenings_.push_back(opening);
  if (folderBrowserAnswers_.empty()) {
    throw std::logic_error("the folder browser \"" + Utf8(opening.title) +
                           "\" opened, but the test scripted no answer for it "
                           "(ScriptFolderChoice or ScriptFolderBrowserCancel)");
  }
  std::optional<AnsiString> answer = std::move(folderBrowserAnswers_.front());
  folderBrowserAnswers_.pop_front();
  return answer;
}

std::vector<FolderBrowserOpening> SimMachine::FolderBrowserOpenings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return folderBrowserOpenings_;
}

void SimMachine::RecordShellExecute(const ShellExecuteCall& call) {
  std::lock_guard<std::mutex> lock(mutex_);
  shellExecuteLog_.push_back(call);
}

std::vector<ShellExecuteCall> SimMachine::ShellExecuteLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shellExecuteLog_;
}

// ---------------------------------------------------------------- resources

void SimMachine::AddResource(const AnsiString& name, const AnsiString& type, std::string bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  resources_.push_back({name, type, std::make_unique<std::string>(std::move(bytes))});
}

const std::string* SimMachine::FindResource(const AnsiString& name, const AnsiString& type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& resource : resources_) {
    if (SameTextAscii(resource.name, name) && SameTextAscii(resource.type, type)) {
      return resource.bytes.get();
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------- clock

std::uint64_t SimMachine::Now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void SimMachine::Advance(std::uint64_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += milliseconds;
}

std::uint64_t SimMachine::SleptMilliseconds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slept_;
}

void SimMachine::RecordSleep(std::uint32_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  slept_ += milliseconds;
  now_ += milliseconds;
}

// ---------------------------------------------------------------- threads

std::shared_ptr<SimThreadRecord> SimMachine::RegisterThread(std::uint32_t id) {
  auto record = std::make_shared<SimThreadRecord>(id);
  std::lock_guard<std::mutex> lock(mutex_);
  threads_.push_back(record);
  return record;
}

int SimMachine::RunningThreadCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(threads_.begin(), threads_.end(),
                                        [](const auto& t) { return t->started && !t->finished; }));
}

static SimThreadInfo InfoOf(const SimThreadRecord& record) {
  SimThreadInfo info;
  info.id = record.id;
  info.priority = record.priority;
  info.suspendCount = record.suspendCount;
  info.started = record.started;
  info.finished = record.finished;
  return info;
}

std::vector<SimThreadInfo> SimMachine::Threads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SimThreadInfo> infos;
  for (const auto& record : threads_) infos.push_back(InfoOf(*record));
  return infos;
}

std::optional<SimThreadInfo> SimMachine::Thread(std::uint32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& record : threads_) {
    if (record->id == id) return InfoOf(*record);
  }
  return std::nullopt;
}

void SimMachine::SetThreadCreationFailure(const AnsiString& reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  threadCreationFailure_ = reason;
}

AnsiString SimMachine::ThreadCreationFailure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return threadCreationFailure_;
}

void SimMachine::SetPriorityChangeRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  priorityChangeRefused_ = refused;
}

bool SimMachine::PriorityChangeRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return priorityChangeRefused_;
}

// ---------------------------------------------------------------- COM apartments

bool SimMachine::OpenComApartment(std::uint32_t threadId) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (comRefused_) return false;
  ++comApartments_[threadId];
  return true;
}

void SimMachine::CloseComApartment(std::uint32_t threadId) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = comApartments_.find(threadId);
  if (found == comApartments_.end()) return;
  if (--found->second == 0) comApartments_.erase(found);
}

bool SimMachine::ComInitialized(std::uint32_t threadId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return comApartments_.count(threadId) != 0;
}

void SimMachine::SetComRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  comRefused_ = refused;
}

// ---------------------------------------------------------------- Program Manager and DDE

void SimMachine::SetProgramManager(ProgramManagerState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  programManagerState_ = state;
}

ProgramManagerState SimMachine::GetProgramManager() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManagerState_;
}

std::vector<DdeConversationRecord> SimMachine::DdeConversations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ddeConversations_;
}

std::vector<AnsiString> SimMachine::ProgramGroups() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManager_.Groups();
}

std::optional<std::vector<AnsiString>> SimMachine::ProgramGroupItems(
    const AnsiString& group) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManager_.Items(group);
}

std::vector<AnsiString> SimMachine::StartedPrograms() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return startedPrograms_;
}

std::optional<std::size_t> SimMachine::ConnectDde(const AnsiString& service,
                                                  const AnsiString& topic) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool answers = (programManagerState_ == ProgramManagerState::Running ||
                        programManagerState_ == ProgramManagerState::Hung) &&
                       SameTextAscii(service, "ProgMan") && SameTextAscii(topic, "ProgMan");
  if (!answers) return std::nullopt;
  DdeConversationRecord record;
  record.service = service;
  record.topic = topic;
  ddeConversations_.push_back(record);
  return ddeConversations_.size() - 1;
}

std::optional<bool> SimMachine::ExecuteDde(std::size_t conversation, const AnsiString& command,
                                           bool waited) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (conversation >= ddeConversations_.size() || !ddeConversations_[conversation].open) {
    throw std::logic_error("a DDE command was sent in a conversation that is not open");
  }
  if (programManagerState_ == ProgramManagerState::Hung) {
    ddeConversations_[conversation].executions.push_back({command, waited, false});
    return std::nullopt;
  }
  const bool carriedOut = programManager_.Execute(command, [this](const AnsiString& path) {
    const fs::path host = HostPathLocked(path);
    std::error_code error;
    return !host.empty() && fs::is_regular_file(host, error);
  });
  ddeConversations_[conversation].executions.push_back({command, waited, carriedOut});
  return carriedOut;
}

void SimMachine::DisconnectDde(std::size_t conversation) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (conversation < ddeConversations_.size()) ddeConversations_[conversation].open = false;
}

bool SimMachine::StartProgram(const AnsiString& commandLine) {
  std::lock_guard<std::mutex> lock(mutex_);
  startedPrograms_.push_back(commandLine);
  const AnsiString program = commandLine.substr(0, commandLine.find(' '));
  const bool programManager =
      SameTextAscii(program, "progman") || SameTextAscii(program, "progman.exe");
  if (!programManager || programManagerState_ == ProgramManagerState::Missing) return false;
  programManagerState_ = ProgramManagerState::Running;
  return true;
}

// ---------------------------------------------------------------- shell links and notices

AnsiString SimMachine::CommonDesktopFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commonDesktopFolder_;
}

void SimMachine::SetCommonDesktopFolder(const AnsiString& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  commonDesktopFolder_ = path;
}

void SimMachine::SetShellLinkRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  shellLinkRefused_ = refused;
}

bool SimMachine::ShellLinkRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shellLinkRefused_;
}

bool SimMachine::SaveShellLink(const SavedShellLink& link) {
  std::lock_guard<std::mutex> lock(mutex_);
  const fs::path host = HostPathLocked(link.file);
  std::error_code error;
  // The folder must be there; a folder of the file's name (a drive root among them) is no file.
  if (host.empty() || !fs::is_directory(host.parent_path(), error) ||
      fs::is_directory(host, error)) {
    return false;
  }
  if (std::find(lockedFiles_.begin(), lockedFiles_.end(), host) != lockedFiles_.end()) return false;
  // The simulated link's file: readable text naming what the link holds.
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << "[ShellLink]\r\nTarget=" << link.target << "\r\nWorkingFolder=" << link.workingFolder
      << "\r\n";
  out.close();
  if (!out) return false;
  savedShellLinks_.push_back(link);
  return true;
}

std::vector<SavedShellLink> SimMachine::SavedShellLinks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return savedShellLinks_;
}

void SimMachine::RecordAssociationNotice() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++associationNotices_;
}

int SimMachine::AssociationNotices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return associationNotices_;
}

// ---------------------------------------------------------------- Command line

void SimMachine::SetCommandLine(const AnsiString& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  commandLine_ = line;
}

AnsiString SimMachine::CommandLine() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commandLine_;
}

// ---------------------------------------------------------------- Desktop shell

void SimMachine::SetDesktopShellAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mutex_);
  desktopShellAvailable_ = available;
}

bool SimMachine::DesktopShellAvailable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return desktopShellAvailable_;
}

// ---------------------------------------------------------------- Private folders

namespace {

// A name that looks random: the sequence number through a 64-bit mix.
AnsiString PrivateFolderName(std::uint64_t number) {
  std::uint64_t x = number + 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return Format("KorvSetup-%08X%08X", static_cast<unsigned>(x >> 32),
                static_cast<unsigned>(x & 0xFFFFFFFFu));
}

}  // namespace

AnsiString SimMachine::PeekPrivateFolderName() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return PrivateFolderName(privateFolderNames_);
}

AnsiString SimMachine::TakePrivateFolderName() {
  std::lock_guard<std::mutex> lock(mutex_);
  return PrivateFolderName(privateFolderNames_++);
}

void SimMachine::RecordPrivateFolder(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  privateFolders_.push_back(windowsPath);
}

std::vector<AnsiString> SimMachine::PrivateFolders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return privateFolders_;
}

void SimMachine::SetPrivateFoldersRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  privateFoldersRefused_ = refused;
}

bool SimMachine::PrivateFoldersRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return privateFoldersRefused_;
}

}  // namespace sim
