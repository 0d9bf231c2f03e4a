#include "platform/SystemThread.h"

#include <atomic>

#include "platform/Errors.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

using Body = std::function<void()>;

// The thread owns its body: the SystemThread object may be destroyed while the body runs (the
// worker frees itself on its own thread), so nothing of the object is touched here. The body
// catches its own errors; one escaping it ends the process through noexcept.
DWORD WINAPI RunBody(LPVOID parameter) noexcept {
  const std::unique_ptr<Body> body(static_cast<Body*>(parameter));
  (*body)();
  return 0;
}

[[noreturn]] void ThrowThreadError() {
  const DWORD error = ::GetLastError();
  throw EThread(Format("Thread Error: %s (%d)", win32::SystemErrorMessage(error).c_str(),
                       static_cast<int>(error)));
}

}  // namespace

struct SystemThread::Impl {
  win32::UniqueHandle handle;
  DWORD id = 0;
  std::atomic<int> suspendCount{1};  // created suspended
};

SystemThread::SystemThread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
  auto owned = std::make_unique<Body>(std::move(body));
  impl_->handle.Reset(
      ::CreateThread(nullptr, 0, &RunBody, owned.get(), CREATE_SUSPENDED, &impl_->id));
  if (!impl_->handle) {
    const DWORD error = ::GetLastError();
    throw EThread(Format("Thread creation error: %s", win32::SystemErrorMessage(error).c_str()));
  }
  static_cast<void>(owned.release());  // now the thread's
}

// Detaches: the thread runs on and ends by itself.
SystemThread::~SystemThread() = default;

void SystemThread::Resume() {
  const DWORD previous = ::ResumeThread(impl_->handle.Get());
  if (previous == static_cast<DWORD>(-1)) ThrowThreadError();
  impl_->suspendCount = previous > 0 ? static_cast<int>(previous) - 1 : 0;
}

void SystemThread::Suspend() {
  // Counted first: a thread suspending itself stops inside the call.
  ++impl_->suspendCount;
  if (::SuspendThread(impl_->handle.Get()) == static_cast<DWORD>(-1)) {
    --impl_->suspendCount;
    ThrowThreadError();
  }
}

bool SystemThread::Suspended() const { return impl_->suspendCount > 0; }

void SystemThread::SetPriority(int systemPriority) {
  if (!::SetThreadPriority(impl_->handle.Get(), systemPriority)) ThrowThreadError();
}

int SystemThread::Priority() const {
  const int priority = ::GetThreadPriority(impl_->handle.Get());
  if (priority == THREAD_PRIORITY_ERROR_RETURN) ThrowThreadError();
  return priority;
}

std::uint32_t SystemThread::Id() const { return impl_->id; }

bool SystemThread::IsCurrent() const { return ::GetCurrentThreadId() == impl_->id; }

std::uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }

}  // namespace platform
