#pragma once
// The runtime's thread object: a system thread created suspended that runs Execute once it is
// resumed, delivers its end notice on the user-interface thread and, when FreeOnTerminate is
// set, frees itself on its own thread after that notice has been served.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/SystemThread.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The system priority a TThreadPriority stands for (-15, -2, -1, 0, 1, 2, 15).
int SystemPriority(TThreadPriority priority);

class TThread {
 public:
  using TNotifyEvent = std::function<void(TThread* Sender)>;

  // The system thread exists at once but stays suspended until Resume.
  // Throws EThread "Thread creation error: %s" when the system refuses the thread.
  TThread();
  // A thread that has not finished is asked to terminate, resumed and waited for.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  void Suspend();
  bool Suspended() const;

  // Requests termination; the body reads Terminated and decides when to return.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  TThreadPriority Priority() const;
  // Throws EThread "Thread Error: %s (%d)" when the system refuses the change.
  void SetPriority(TThreadPriority priority);

  // Once set, the object belongs to its own thread, which frees it after the end notice.
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }

  // The end notice, run on the user-interface thread while the thread waits for it. It is read
  // there too, so the user-interface thread may reroute it while the body runs.
  TNotifyEvent OnTerminate;

  // The error that escaped the body, kept with the thread object; null when none did.
  std::exception_ptr FatalException() const { return fatalException_; }
  // True once the end notice has been served.
  bool Finished() const { return finished_; }
  std::uint32_t ThreadID() const { return thread_->Id(); }

  // Waits until the thread has finished. On the user-interface thread it keeps serving the
  // message queue meanwhile, since the end notice needs that thread, and sleeps between
  // messages.
  void WaitFor();

 protected:
  // The thread body.
  virtual void Execute() = 0;
  // Runs method on the user-interface thread and waits for it; an error it raises is raised
  // again here.
  void Synchronize(const std::function<void()>& method);

 private:
  void Run();
  void DoTerminate();
  void MarkFinished();
  void SettleFinish();

  std::unique_ptr<platform::SystemThread> thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool uiWaiting_ = false;  // the user-interface thread waits in WaitFor (under finishMutex_)
  bool freeOnTerminate_ = false;
  std::exception_ptr fatalException_;
  std::mutex finishMutex_;
  std::condition_variable finishedSignal_;
};
