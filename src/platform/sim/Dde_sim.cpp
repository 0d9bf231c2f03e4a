// DDE on the simulated machine: conversations with its Program Manager, which records every
// command as sent and carries it out on its groups.
#include "platform/Dde.h"
#include "platform/sim/SimMachine.h"

namespace platform {

struct DdeConversation::Impl {
  std::uint64_t machine;  // the serial of the machine it was opened on
  std::size_t number;     // that machine's number of the conversation
};

DdeConversation::DdeConversation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DdeConversation::~DdeConversation() {
  // The machine may be gone first when a test ends.
  sim::SimMachine* machine = sim::SimMachine::CurrentOrNull();
  if (machine && machine->Serial() == impl_->machine) machine->Dde().Disconnect(impl_->number);
}

std::unique_ptr<DdeConversation> DdeConversation::Connect(const AnsiString& service,
                                                          const AnsiString& topic) {
  sim::SimMachine& machine = sim::SimMachine::Current();
  const std::optional<std::size_t> number = machine.Dde().Connect(service, topic);
  if (!number) return nullptr;
  return std::make_unique<DdeConversation>(std::make_unique<Impl>(Impl{machine.Serial(), *number}));
}

bool DdeConversation::Execute(const AnsiString& command) {
  sim::SimMachine::Current().Dde().Execute(impl_->number, command, false);
  return true;  // handed over; the answer is not waited for
}

bool DdeConversation::ExecuteAndWait(const AnsiString& command,
                                     std::uint32_t /*timeoutMilliseconds*/) {
  return sim::SimMachine::Current().Dde().Execute(impl_->number, command, true);
}

bool StartServerProgram(const AnsiString& commandLine) {
  return sim::SimMachine::Current().Dde().StartProgram(commandLine);
}

}  // namespace platform
