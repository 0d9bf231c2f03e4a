#pragma once
// The thread a TWorkerThread starts: its body runs the component's OnExecute, it carries the
// run's Data and Percent, and it offers the body a synchronised call into the user interface.
#include <atomic>

#include "thread/Thread.h"
#include "thread/WorkerEvents.h"

class TWorkerThread;

class TWorkerExecuteThread : public TThread {
 public:
  // Created suspended, Percent 0.
  TWorkerExecuteThread(TWorkerThread* owner, void* data);

  TWorkerThread* Owner() const { return owner_; }
  // The untyped pointer handed over at start; the notices receive it by reference.
  void*& Data() { return data_; }
  // Progress reported by the body, read by the update notices.
  int Percent() const { return percent_; }
  void SetPercent(int value) { percent_ = value; }

  // Runs method on the user-interface thread with the owning component as its argument and
  // returns when it has run; an error it raises is raised again here. Does nothing once
  // termination has been requested or when method is unassigned.
  void Synchronize(TWorkerSyncMethod method);

 protected:
  void Execute() override;

 private:
  TWorkerThread* owner_;
  void* data_;
  std::atomic<int> percent_{0};
  TWorkerSyncMethod syncMethod_;
};
