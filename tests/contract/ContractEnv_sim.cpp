// The contract's machine in the host build: a fresh simulated Windows per test, arranged to
// look like the Windows machine the test program runs on (its own process, its resource).
#include <filesystem>
#include <string>

#include "contract/ContractEnv.h"
#include "platform/sim/SimMachine.h"

namespace contract {

namespace {
// The name the Windows build gives the test program.
constexpr char kProgramName[] = "korv_contract.exe";
}  // namespace

struct ContractEnv::Impl {
  sim::TempFolder folder;
  sim::SimMachine machine{folder.Path()};
  AnsiString scratch = "C:\\scratch\\";
  AnsiString programName = kProgramName;
  AnsiString registryKey = "Software\\KorvContract\\1";  // the machine is new for each test
};

ContractEnv::ContractEnv() : impl_(std::make_unique<Impl>()) {
  std::filesystem::create_directories(impl_->machine.Files().HostPath(impl_->scratch));
  impl_->machine.Processes().AddProcess("System");
  impl_->machine.Processes().AddProcess(impl_->programName);
  impl_->machine.Module().AddResource(kNoteName, kNoteType, kNoteBytes);
}

ContractEnv::~ContractEnv() = default;

const AnsiString& ContractEnv::Scratch() const { return impl_->scratch; }

const AnsiString& ContractEnv::ProgramName() const { return impl_->programName; }

const AnsiString& ContractEnv::RegistryKey() const { return impl_->registryKey; }

}  // namespace contract
