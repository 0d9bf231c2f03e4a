// DDE on the simulated machine: conversations with its Program Manager, which records every
// command as sent and carries it out on its groups.
#include "platform/Dde.h"
#include "platform/sim/SimMachine.h"

namespace platform {

struct DdeConversation::Impl {
  std::uint64_t machine;  // the serial of the machine it was opened on
  std::size_t number;     // that machine's number of the conversation
  bool lost = false;      // a waited command went unanswered
};

DdeConversation::DdeConversation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DdeConversation::~DdeConversation() {
  // The machine may be gone first when a test ends.
  sim::SimMachine* machine = sim::SimMachine::CurrentOrNull();
  if (machine && machine->Serial() == impl_->machine && !impl_->lost) {
    machine->Dde().Disconnect(impl_->number);
  }
}

std::unique_ptr<DdeConversation> DdeConversation::Connect(const AnsiString& service,
                                                          const AnsiString& topic) {
  sim::SimMachine& machine = sim::SimMachine::Current();
  const std::optional<std::size_t> number = machine.Dde().Connect(service, topic);
  if (!number) return nullptr;
  return std::make_unique<DdeConversation>(std::make_unique<Impl>(Impl{machine.Serial(), *number}));
}

bool DdeConversation::Execute(const AnsiString& command) {
  if (impl_->lost) return false;
  sim::SimMachine::Current().Dde().Execute(impl_->number, command, false);
  return true;  // handed over; the answer is not waited for
}

bool DdeConversation::ExecuteAndWait(const AnsiString& command,
                                     std::uint32_t /*timeoutMilliseconds*/) {
  if (impl_->lost) return false;
  sim::SimDde& dde = sim::SimMachine::Current().Dde();
  const std::optional<bool> answer = dde.Execute(impl_->number, command, true);
  if (answer) return *answer;
  // As on the system: a conversation past an unanswered command is over.
  dde.Disconnect(impl_->number);
  impl_->lost = true;
  return false;
}

bool DdeConversation::Lost() const { return impl_->lost; }

bool StartServerProgram(const AnsiString& commandLine) {
  return sim::SimMachine::Current().Dde().StartProgram(commandLine);
}

}  // namespace platform
