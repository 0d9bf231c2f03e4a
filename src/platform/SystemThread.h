#pragma once
// A system thread that is created suspended and detaches when its object is destroyed (the
// worker's object frees itself on its own thread once its end notice has been served).
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class SystemThread {
 public:
  // Creates the thread suspended; body runs once Resume is called.
  // Throws EThread "Thread creation error: %s" with the system's reason.
  explicit SystemThread(std::function<void()> body);
  ~SystemThread();
  SystemThread(const SystemThread&) = delete;
  SystemThread& operator=(const SystemThread&) = delete;

  // ResumeThread / SuspendThread: a suspend count, the thread runs while it is 0.
  void Resume();
  void Suspend();
  bool Suspended() const;

  // SetThreadPriority with a system priority value (-15, -2, -1, 0, 1, 2, 15).
  // Throws EThread "Thread Error: %s (%d)" when the system refuses.
  void SetPriority(int systemPriority);
  int Priority() const;

  std::uint32_t Id() const;
  // True when called on this thread.
  bool IsCurrent() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Id of the calling thread, comparable with SystemThread::Id.
std::uint32_t CurrentThreadId();

}  // namespace platform
