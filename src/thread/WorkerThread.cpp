#include "thread/WorkerThread.h"

#include <memory>
#include <thread>

#include "platform/ScopeExit.h"
#include "platform/gui/Application.h"

TWorkerThread::TWorkerThread(gui::Component* owner, AnsiString name)
    : TWorkerThreadBase(owner, std::move(name)), timer_(&Make<gui::Timer>(AnsiString())) {
  timer_->SetEnabled(false);
  timer_->SetInterval(100);
  timer_->OnTimer = [this] { UpdateTick(); };
}

TWorkerThread::~TWorkerThread() {
  timer_->SetEnabled(false);
  // Leave the group while the thread still runs: the end notice below is silent, so this is
  // where the groups above hear of the thread's end.
  SetThreadGroup(nullptr);
  if (TWorkerExecuteThread* thread = thread_) {
    thread->OnTerminate = [this](TThread* sender) { ThreadEndedSilently(sender); };
    while (thread->Suspended()) thread->Resume();
    thread->Terminate();
    // The end notice comes through the user-interface queue; serve it here, asleep between
    // messages. Without an application the notice runs on the worker itself.
    if (gui::Application::Exists()) {
      gui::Application::Instance().ServeUntil([this] { return thread_ == nullptr; });
    } else {
      while (thread_) std::this_thread::yield();
    }
  }
  DestroyOwned(*timer_);
}

void TWorkerThread::SetPriority(TThreadPriority value) {
  priority_ = value;
  if (TWorkerExecuteThread* thread = thread_) thread->SetPriority(value);
}

void TWorkerThread::SetUpdateEnabled(bool value) {
  updateEnabled_ = value;
  timer_->SetEnabled(value);
}

void TWorkerThread::NotifyGroupStart(TWorkerThreadGroup* group) {
  if (group) group->MemberStarted(*this);
}

void TWorkerThread::NotifyGroupEnd(TWorkerThreadGroup* group) {
  if (group) group->MemberEnded(*this);
}

bool TWorkerThread::JoinGroup(TWorkerThreadGroup* group) { return JoinAsMember(group); }

void TWorkerThread::LeaveGroup(TWorkerThreadGroup* group) { LeaveAsMember(group); }

void TWorkerThread::Start() { Start(nullptr); }

void TWorkerThread::Start(void* Data) {
  if (thread_) return;
  // Until it is handed to itself, the thread belongs to this function: a refused priority
  // leaves the component idle and the unstarted thread is wound down.
  auto created = std::make_unique<TWorkerExecuteThread>(this, Data);
  created->SetPriority(priority_);
  created->OnTerminate = [this](TThread* sender) { ThreadEnded(sender); };
  created->SetFreeOnTerminate(true);
  TWorkerExecuteThread* thread = created.release();
  thread_ = thread;

  NotifyGroupStart(ThreadGroup());
  {
    std::lock_guard<std::recursive_mutex> lock(Lock());
    if (OnStart) OnStart(this, thread, thread->Data());
  }
  thread->Resume();
  if (updateEnabled_) timer_->SetEnabled(true);
}

void TWorkerThread::Stop() {
  if (TWorkerExecuteThread* thread = thread_) {
    thread->Resume();
    thread->Terminate();
  }
}

void TWorkerThread::Suspend() {
  if (TWorkerExecuteThread* thread = thread_) thread->Suspend();
}

void TWorkerThread::Resume() {
  if (TWorkerExecuteThread* thread = thread_) thread->Resume();
}

void TWorkerThread::UpdateTick() {
  TWorkerExecuteThread* thread = thread_;
  if (!thread) return;
  if (TWorkerThreadGroup* group = ThreadGroup()) group->MemberUpdated(*this);
  std::lock_guard<std::recursive_mutex> lock(Lock());
  if (OnUpdate) OnUpdate(this, thread, thread->Data(), thread->Percent());
}

void TWorkerThread::DoExecute(TWorkerExecuteThread* Thread) {
  if (OnExecute) OnExecute(this, Thread, Thread->Data());
}

void TWorkerThread::ThreadEnded(TThread* Sender) {
  auto* ended = static_cast<TWorkerExecuteThread*>(Sender);
  timer_->SetEnabled(false);
  thread_ = nullptr;
  {
    // The group notices speak of the ended thread while it is being reported.
    endedThread_ = ended;
    const auto forget = platform::MakeScopeExit([this] { endedThread_ = nullptr; });
    NotifyGroupEnd(ThreadGroup());
    std::lock_guard<std::recursive_mutex> lock(Lock());
    if (OnTerminate) OnTerminate(this, ended, ended->Data());
  }
  if (updateEnabled_) timer_->SetEnabled(true);
}

void TWorkerThread::ThreadEndedSilently(TThread*) { thread_ = nullptr; }
