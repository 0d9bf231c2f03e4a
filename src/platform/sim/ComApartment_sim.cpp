// The simulated machine records which threads have an apartment open, so simulated COM services
// can refuse a thread without one, as the system does.
#include "platform/ComApartment.h"

#include "platform/SystemThread.h"
#include "platform/sim/SimMachine.h"

namespace platform {

ComApartment::ComApartment()
    : threadId_(CurrentThreadId()),
      initialized_(sim::SimMachine::Current().Threads().OpenComApartment(threadId_)) {}

ComApartment::~ComApartment() {
  if (!initialized_) return;
  if (sim::SimMachine* machine = sim::SimMachine::CurrentOrNull()) {
    machine->Threads().CloseComApartment(threadId_);
  }
}

}  // namespace platform
