#include "platform/sim/SimMachine.h"

#include <atomic>
#include <stdexcept>

namespace fs = std::filesystem;

namespace sim {
namespace {

std::atomic<SimMachine*> currentMachine{nullptr};
std::atomic<std::uint64_t> nextSerial{1};

}  // namespace

SimMachine::SimMachine(const fs::path& root) : serial_(nextSerial++) {
  SimMachine* expected = nullptr;
  if (!currentMachine.compare_exchange_strong(expected, this)) {
    throw std::logic_error("a SimMachine already exists; make one per test");
  }
  files_.MapDrive('C', root / "C");
  fs::create_directories(files_.HostPath(files_.WindowsFolder()));
  fs::create_directories(files_.HostPath(shell_.CommonDesktopFolder()));
  fs::create_directories(files_.HostPath(kCommonAppDataFolder));
}

SimMachine::~SimMachine() { currentMachine = nullptr; }

SimMachine& SimMachine::Current() {
  SimMachine* machine = currentMachine;
  if (!machine) throw std::logic_error("no SimMachine: the sim services need one per test");
  return *machine;
}

SimMachine* SimMachine::CurrentOrNull() { return currentMachine; }

}  // namespace sim
