#include "thread/WorkerExecuteThread.h"

#include "platform/ScopeExit.h"
#include "thread/WorkerThread.h"

TWorkerExecuteThread::TWorkerExecuteThread(TWorkerThread* owner, void* data)
    : owner_(owner), data_(data) {}

void TWorkerExecuteThread::Synchronize(TWorkerSyncMethod method) {
  if (Terminated()) return;
  if (!method) return;
  syncMethod_ = std::move(method);
  const auto forget = platform::MakeScopeExit([this] { syncMethod_ = nullptr; });
  TThread::Synchronize([this] { syncMethod_(owner_); });
}

void TWorkerExecuteThread::Execute() { owner_->DoExecute(this); }
