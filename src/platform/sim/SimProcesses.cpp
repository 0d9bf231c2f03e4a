#include "platform/sim/SimProcesses.h"

#include <algorithm>

namespace sim {

// ---------------------------------------------------------------- processes and windows

std::uint32_t SimProcesses::AddProcess(const AnsiString& exeName) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimProcess process;
  process.id = nextProcessId_;
  nextProcessId_ += 4;
  process.exeName = exeName;
  processes_.push_back(process);
  return process.id;
}

std::optional<SimProcess> SimProcesses::Process(std::uint32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& process : processes_) {
    if (process.id == id) return process;
  }
  return std::nullopt;
}

std::vector<SimProcess> SimProcesses::List() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return processes_;
}

void SimProcesses::SetSnapshotAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mutex_);
  snapshotAvailable_ = available;
}

bool SimProcesses::SnapshotAvailable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return snapshotAvailable_;
}

platform::WindowRef SimProcesses::AddWindow(const AnsiString& className, const AnsiString& title,
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

std::vector<SimWindow> SimProcesses::Windows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_;
}

std::optional<SimWindow> SimProcesses::Window(platform::WindowRef ref) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& window : windows_) {
    if (window.ref == ref) return window;
  }
  return std::nullopt;
}

void SimProcesses::TerminateProcess(std::uint32_t id, std::uint32_t exitCode) {
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

std::vector<TerminateCall> SimProcesses::TerminateCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return terminateCalls_;
}

// ---------------------------------------------------------------- programs started

void SimProcesses::SetOwnProgramPath(const AnsiString& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  ownProgramPath_ = path;
}

AnsiString SimProcesses::OwnProgramPath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ownProgramPath_;
}

void SimProcesses::RecordProgramStart(const ProgramStart& start) {
  std::lock_guard<std::mutex> lock(mutex_);
  programStarts_.push_back(start);
}

std::vector<ProgramStart> SimProcesses::ProgramStarts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programStarts_;
}

void SimProcesses::SetStartedProgramsExitCode(std::uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  startedProgramsExitCode_ = code;
}

std::uint32_t SimProcesses::StartedProgramsExitCode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return startedProgramsExitCode_;
}

// ---------------------------------------------------------------- mutexes

void SimProcesses::HoldMutexElsewhere(const AnsiString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  mutexes_[name].heldElsewhere = true;
}

int SimProcesses::MutexHandles(const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  return it == mutexes_.end() ? 0 : it->second.handles;
}

bool SimProcesses::MutexOwnedHere(const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  return it != mutexes_.end() && it->second.ownedHere;
}

std::pair<unsigned long, bool> SimProcesses::OpenMutex(const AnsiString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  MutexState& state = mutexes_[name];
  const bool existed = state.heldElsewhere || state.handles > 0;
  ++state.handles;
  // Initial ownership is granted only to the handle that creates the mutex.
  if (!existed) state.ownedHere = true;
  return {existed ? platform::kErrorAlreadyExists : 0, !existed};
}

void SimProcesses::CloseMutex(const AnsiString& name, bool /*owner*/) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  if (it == mutexes_.end()) return;
  if (--it->second.handles <= 0 && !it->second.heldElsewhere) mutexes_.erase(it);
}

bool SimProcesses::ReleaseMutex(const AnsiString& name, bool owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = mutexes_.find(name);
  if (it == mutexes_.end() || !owner || !it->second.ownedHere) return false;
  it->second.ownedHere = false;
  return true;
}

}  // namespace sim
