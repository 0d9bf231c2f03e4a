#include "thread/WorkerExecuteThread.h"

#include "thread/WorkerThread.h"

TWorkerExecuteThread::TWorkerExecuteThread(TWorkerThread* owner, void* data)
    : owner_(owner), data_(data) {}

void TWorkerExecuteThread::Synchronize(TWorkerSyncMethod method) {
  if (Terminated()) return;
  if (!method) return;
  syncMethod_ = std::move(method);
  struct ForgetMethod {
    TWorkerSyncMethod& method;
    ~ForgetMethod() { method = nullptr; }
  } forget{syncMethod_};
  TThread::Synchronize([this] { syncMethod_(owner_); });
}

void TWorkerExecuteThread::Execute() { owner_->DoExecute(this); }
