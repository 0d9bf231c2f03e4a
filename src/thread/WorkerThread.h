#pragma once
// Unit WorkerThread: a component that owns at most one worker thread at a time and reports the
// thread's life on the user-interface thread: a start notice, the body itself, periodic update
// notices and an end notice. Thread groups and the thread object come with the unit.
#include <atomic>
#include <cstdint>

#include "platform/gui/Timer.h"
#include "thread/Thread.h"
#include "thread/WorkerEvents.h"
#include "thread/WorkerExecuteThread.h"
#include "thread/WorkerThreadBase.h"
#include "thread/WorkerThreadGroup.h"

class TWorkerThread : public TWorkerThreadBase {
 public:
  // Priority tpNormal, no thread, the refresh timer disabled with interval 100, no group.
  TWorkerThread(gui::Component* owner, AnsiString name);
  // Stops the thread and waits for its end notice, which then raises no OnTerminate.
  ~TWorkerThread() override;

  std::uint32_t RefreshInterval() const { return timer_->Interval(); }
  void SetRefreshInterval(std::uint32_t milliseconds) { timer_->SetInterval(milliseconds); }
  TThreadPriority Priority() const { return priority_; }
  // Applied at once to a running thread; throws EThread when the system refuses.
  void SetPriority(TThreadPriority value);
  bool UpdateEnabled() const { return updateEnabled_; }
  void SetUpdateEnabled(bool value);

  // The thread body; runs on the worker thread without the component's lock.
  TWorkerDataNotifyEvent OnExecute;

  // True from Start until the end notice has been handled.
  bool IsRunning() override { return thread_ != nullptr; }
  void NotifyGroupStart(TWorkerThreadGroup* group) override;
  void NotifyGroupEnd(TWorkerThreadGroup* group) override;
  bool JoinGroup(TWorkerThreadGroup* group) override;
  void LeaveGroup(TWorkerThreadGroup* group) override;
  void Start() override;
  // Starts a worker thread with Data unless one exists. Throws EThread "Thread creation error"
  // when the system refuses the thread; the component then stays idle.
  void Start(void* Data) override;
  // Resumes the thread, then requests its termination.
  void Stop() override;
  void Suspend() override;
  void Resume() override;

 protected:
  // Refresh-timer tick: the update notices of the running thread.
  virtual void UpdateTick();
  // The thread body, on the worker thread.
  virtual void DoExecute(TWorkerExecuteThread* Thread);
  // End notice, on the user-interface thread.
  virtual void ThreadEnded(TThread* Sender);
  // End notice during destruction: only forgets the thread.
  virtual void ThreadEndedSilently(TThread* Sender);

 private:
  friend class TWorkerExecuteThread;
  friend class TWorkerThreadGroup;

  // The thread the group notices speak of: the running one, or the one whose end is being
  // reported.
  TWorkerExecuteThread* NoticeThread() const { return thread_ ? thread_.load() : endedThread_; }

  gui::Timer* timer_;
  std::atomic<TWorkerExecuteThread*> thread_{nullptr};
  TWorkerExecuteThread* endedThread_ = nullptr;
  TThreadPriority priority_ = tpNormal;
  bool updateEnabled_ = false;
};
