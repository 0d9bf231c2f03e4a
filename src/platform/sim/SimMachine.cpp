#include "platform/sim/SimMachine.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
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
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

void SimMachine::UnmapDrive(char letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
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
  if (drive == drives_.end()) return {};

  const fs::path root = drive->second;
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

}  // namespace sim
