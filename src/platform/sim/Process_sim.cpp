#include "platform/Process.h"

#include "platform/Files.h"
#include "platform/sim/SimMachine.h"

namespace platform {

// A handle on a named mutex of the machine it was opened on.
struct NamedMutex::Impl {
  std::uint64_t machineSerial = 0;
  AnsiString name;
  bool owner = false;
  unsigned long creationError = 0;

  // The handle's machine, or null once that machine is gone.
  sim::SimMachine* Machine() const {
    sim::SimMachine* machine = sim::SimMachine::CurrentOrNull();
    return machine && machine->Serial() == machineSerial ? machine : nullptr;
  }
};

NamedMutex NamedMutex::Create(const AnsiString& name) {
  auto impl = std::make_unique<Impl>();
  sim::SimMachine& machine = sim::SimMachine::Current();
  impl->machineSerial = machine.Serial();
  impl->name = name;
  const auto opened = machine.Processes().OpenMutex(name);
  impl->creationError = opened.first;
  impl->owner = opened.second;
  return NamedMutex(std::move(impl));
}

NamedMutex::NamedMutex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
NamedMutex::NamedMutex(NamedMutex&&) noexcept = default;

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    NamedMutex closing(std::move(*this));  // closes the handle held so far
    impl_ = std::move(other.impl_);
  }
  return *this;
}

NamedMutex::~NamedMutex() {
  if (!impl_) return;
  if (sim::SimMachine* machine = impl_->Machine())
    machine->Processes().CloseMutex(impl_->name, impl_->owner);
}

unsigned long NamedMutex::CreationError() const { return impl_ ? impl_->creationError : 0; }

void NamedMutex::Release() {
  if (!impl_) return;
  if (sim::SimMachine* machine = impl_->Machine())
    machine->Processes().ReleaseMutex(impl_->name, impl_->owner);
}

std::optional<std::vector<AnsiString>> SnapshotProcessNames() {
  const sim::SimMachine& machine = sim::SimMachine::Current();
  if (!machine.Processes().SnapshotAvailable()) return std::nullopt;
  std::vector<AnsiString> names;
  for (const auto& process : machine.Processes().List()) {
    if (process.running) names.push_back(process.exeName);
  }
  return names;
}

WindowRef FindTopLevelWindow(const AnsiString& className) {
  for (const auto& window : sim::SimMachine::Current().Processes().Windows()) {
    if (SameTextAscii(window.className, className)) return window.ref;  // class names ignore case
  }
  return 0;
}

WindowRef NextWindowInZOrder(WindowRef window) {
  const auto windows = sim::SimMachine::Current().Processes().Windows();
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (windows[i].ref == window) return i + 1 < windows.size() ? windows[i + 1].ref : 0;
  }
  return 0;
}

AnsiString WindowTitle(WindowRef window) {
  const auto found = sim::SimMachine::Current().Processes().Window(window);
  if (!found) return {};
  // The limit 255 leaves 254 bytes of text; a double-byte character that does not fit whole is
  // left out.
  const AnsiString& title = found->title;
  std::size_t end = 0;
  while (end < title.size()) {
    const std::size_t width = IsLeadByte(title[end]) && end + 1 < title.size() ? 2 : 1;
    if (end + width > 254) break;
    end += width;
  }
  return title.substr(0, end);
}

bool WindowHasClass(WindowRef window, const AnsiString& className) {
  const auto found = sim::SimMachine::Current().Processes().Window(window);
  return found && found->className == className;
}

std::uint32_t WindowProcessId(WindowRef window) {
  const auto found = sim::SimMachine::Current().Processes().Window(window);
  return found ? found->processId : 0;
}

void TerminateProcessById(std::uint32_t processId, std::uint32_t exitCode) {
  sim::SimMachine::Current().Processes().TerminateProcess(processId, exitCode);
}

void Sleep(std::uint32_t milliseconds) {
  sim::SimMachine::Current().Clock().RecordSleep(milliseconds);
}

AnsiString OwnProgramPath() { return sim::SimMachine::Current().Processes().OwnProgramPath(); }

// The simulated process's own id: the first the machine would give out.
std::uint32_t OwnProcessId() { return 1; }

std::optional<std::uint32_t> RunAndWait(const AnsiString& file, const AnsiString& parameters) {
  if (!FileExists(file)) return std::nullopt;
  sim::SimProcesses& processes = sim::SimMachine::Current().Processes();
  processes.RecordProgramStart({file, parameters, true});
  return processes.StartedProgramsExitCode();
}

bool StartProgram(const AnsiString& file, const AnsiString& parameters) {
  if (!FileExists(file)) return false;
  sim::SimMachine::Current().Processes().RecordProgramStart({file, parameters, false});
  return true;
}

void WaitForProcessEnd(std::uint32_t, std::uint32_t) {}

}  // namespace platform
