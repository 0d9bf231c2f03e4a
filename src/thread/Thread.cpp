#include "thread/Thread.h"

#include "platform/gui/Application.h"

int SystemPriority(TThreadPriority priority) {
  static constexpr int kSystemPriorities[] = {-15, -2, -1, 0, 1, 2, 15};
  return kSystemPriorities[priority];
}

namespace {
TThreadPriority PriorityOfSystem(int systemPriority) {
  for (int p = tpIdle; p <= tpTimeCritical; ++p) {
    const auto priority = static_cast<TThreadPriority>(p);
    if (SystemPriority(priority) == systemPriority) return priority;
  }
  return tpNormal;
}

bool OnUiThreadWithApplication() {
  return gui::Application::Exists() && gui::Application::Instance().OnUiThread();
}
}  // namespace

TThread::TThread() : thread_(std::make_unique<platform::SystemThread>([this] { Run(); })) {}

TThread::~TThread() {
  if (finished_) {
    SettleFinish();
    return;
  }
  // Never resumed, or still running: let it pass its end and wait, so the runner never
  // touches a freed object.
  Terminate();
  while (Suspended()) Resume();
  WaitFor();
}

void TThread::Resume() {
  if (thread_->Suspended()) thread_->Resume();
}

void TThread::Suspend() { thread_->Suspend(); }

bool TThread::Suspended() const { return thread_->Suspended(); }

TThreadPriority TThread::Priority() const { return PriorityOfSystem(thread_->Priority()); }

void TThread::SetPriority(TThreadPriority priority) {
  thread_->SetPriority(SystemPriority(priority));
}

void TThread::WaitFor() {
  if (OnUiThreadWithApplication()) {
    {
      std::lock_guard<std::mutex> lock(finishMutex_);
      uiWaiting_ = true;
    }
    // The end notice needs this thread: serve the queue meanwhile, asleep between messages;
    // the runner wakes the loop once it has finished.
    gui::Application::Instance().ServeUntil([this] { return finished_.load(); });
    SettleFinish();
    return;
  }
  std::unique_lock<std::mutex> lock(finishMutex_);
  finishedSignal_.wait(lock, [this] { return finished_.load(); });
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (gui::Application::Exists()) {
    gui::Application::Instance().Synchronize(method);
  } else {
    method();
  }
}

void TThread::Run() {
  if (!Terminated()) {
    try {
      Execute();
    } catch (...) {
      fatalException_ = std::current_exception();
    }
  }
  DoTerminate();
  const bool freeSelf = freeOnTerminate_;
  MarkFinished();
  // Ownership passed to this thread when FreeOnTerminate was set; nobody else touches the
  // object after its end notice.
  if (freeSelf) {
    std::unique_ptr<TThread> self(this);
  }
}

void TThread::DoTerminate() {
  // The notice is an event handler of the user-interface thread: an error escaping it goes to
  // the default error report there, not back into this thread.
  auto notice = [this] {
    if (!OnTerminate) return;
    if (gui::Application::Exists()) {
      gui::Application::Instance().Guard([this] { OnTerminate(this); });
    } else {
      OnTerminate(this);
    }
  };
  Synchronize(notice);
}

void TThread::SettleFinish() {
  // The runner sets the flag and signals under this lock; once the lock is free again it no
  // longer touches the signal, so the object may go.
  std::lock_guard<std::mutex> settle(finishMutex_);
}

void TThread::MarkFinished() {
  std::lock_guard<std::mutex> lock(finishMutex_);
  finished_ = true;
  finishedSignal_.notify_all();
  // A user-interface thread in WaitFor sleeps in its loop. It cannot leave the wait, nor its
  // application end, before this lock is free, so the application is still there to wake.
  if (uiWaiting_) gui::Application::Instance().WakeUp();
}
