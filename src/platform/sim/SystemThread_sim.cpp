// Threads of the simulated machine are real std::threads, so synchronised calls and locks are
// exercised for real. The machine records each thread's priority and suspend count for tests.
//
// What the simulation cannot do: Suspend only records the count; a thread that is already
// running is not stopped (only a thread that has not started yet waits for enough Resume calls).
// A thread whose object is destroyed before it was ever resumed ends without running its body,
// where Windows would keep it suspended for the rest of the process.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Errors.h"
#include "platform/SystemThread.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SystemReasons.h"

namespace platform {
namespace {

std::atomic<std::uint32_t> nextThreadId{1};
thread_local std::uint32_t currentThreadId = 0;

bool IsSystemPriority(int priority) {
  switch (priority) {
    case -15:
    case -2:
    case -1:
    case 0:
    case 1:
    case 2:
    case 15:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::uint32_t CurrentThreadId() {
  if (currentThreadId == 0) currentThreadId = nextThreadId++;
  return currentThreadId;
}

struct SystemThread::Impl {
  // Shared with the running thread, which may outlive the SystemThread object.
  struct Start {
    std::mutex mutex;
    std::condition_variable changed;
    bool go = false;
    bool abandoned = false;
  };

  std::uint32_t id = 0;
  std::shared_ptr<sim::SimThreadRecord> record;
  std::shared_ptr<Start> start = std::make_shared<Start>();
  std::thread thread;
};

SystemThread::SystemThread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
  sim::SimMachine& machine = sim::SimMachine::Current();
  const AnsiString failure = machine.Threads().CreationFailure();
  if (!failure.empty()) throw EThread(Format("Thread creation error: %s", failure.c_str()));

  impl_->id = nextThreadId++;
  impl_->record = machine.Threads().Register(impl_->id);
  impl_->thread = std::thread(
      [id = impl_->id, record = impl_->record, start = impl_->start, body = std::move(body)] {
        currentThreadId = id;
        {
          std::unique_lock<std::mutex> lock(start->mutex);
          start->changed.wait(lock, [&] { return start->go || start->abandoned; });
          if (!start->go) return;
        }
        body();
        record->finished = true;
      });
}

SystemThread::~SystemThread() {
  {
    std::lock_guard<std::mutex> lock(impl_->start->mutex);
    if (!impl_->start->go) impl_->start->abandoned = true;
  }
  impl_->start->changed.notify_all();
  impl_->thread.detach();
}

void SystemThread::Resume() {
  {
    std::lock_guard<std::mutex> lock(impl_->start->mutex);
    int count = impl_->record->suspendCount;
    if (count == 0) return;
    impl_->record->suspendCount = --count;
    if (count > 0 || impl_->start->go) return;
    impl_->record->started = true;
    impl_->start->go = true;
  }
  impl_->start->changed.notify_all();
}

void SystemThread::Suspend() {
  std::lock_guard<std::mutex> lock(impl_->start->mutex);
  ++impl_->record->suspendCount;
}

bool SystemThread::Suspended() const { return impl_->record->suspendCount > 0; }

void SystemThread::SetPriority(int systemPriority) {
  if (sim::SimMachine::Current().Threads().PriorityChangeRefused()) {
    throw EThread(Format("Thread Error: %s (%d)", sim::reason::kAccessDenied, 5));
  }
  if (!IsSystemPriority(systemPriority)) {
    throw EThread(Format("Thread Error: %s (%d)", sim::reason::kInvalidParameter, 87));
  }
  impl_->record->priority = systemPriority;
}

int SystemThread::Priority() const { return impl_->record->priority; }

std::uint32_t SystemThread::Id() const { return impl_->id; }

bool SystemThread::IsCurrent() const { return CurrentThreadId() == impl_->id; }

}  // namespace platform
