#pragma once
// Helpers of the worker-thread tests: a gate the user-interface thread opens for a worker body,
// a thread-safe log of notices, a probe component and a fixture that runs the message loop until
// a condition holds.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Timer.h"
#include "support/SimTest.h"
#include "thread/WorkerThread.h"

// A one-way gate: Wait blocks until Open was called (on any thread).
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// Lines written by notices on any thread, in the order they happened.
class NoticeLog {
 public:
  void Add(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
  }
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A worker component whose lock and update tick the tests can reach.
class ProbeWorker : public TWorkerThread {
 public:
  using TWorkerThread::TWorkerThread;
  using TWorkerThread::UpdateTick;

  // True when some thread holds the component's lock right now (probed from a fresh thread).
  bool LockHeld() {
    bool acquired = false;
    std::thread probe([&] {
      acquired = Lock().try_lock();
      if (acquired) Lock().unlock();
    });
    probe.join();
    return !acquired;
  }
};

class ThreadTestBase : public SimTest {
 protected:
  // Turns of the application's message loop until done() holds. The headless loop fails the
  // test instead of hanging when nothing could make done() come true.
  void RunUntil(const std::function<bool()>& done) {
    while (!done()) Backend().WaitAndDispatch();
  }

  // Lets the virtual clock run for the given time while the loop serves whatever comes.
  void LetTimePass(std::uint32_t milliseconds) {
    auto& pace = App().Make<gui::Timer>("Pace");
    bool passed = false;
    pace.SetInterval(milliseconds);
    pace.OnTimer = [&] { passed = true; };
    pace.SetEnabled(true);
    RunUntil([&] { return passed; });
    App().DestroyOwned(pace);
  }

  // The refresh timer a worker component owns.
  static gui::Timer& RefreshTimerOf(TWorkerThread& worker) {
    for (const auto& component : worker.Components()) {
      if (auto* timer = dynamic_cast<gui::Timer*>(component.get())) return *timer;
    }
    throw std::logic_error("worker without a refresh timer");
  }

  bool OnUi() { return App().OnUiThread(); }
};

// The message of the exception that body raises; empty when it raises none.
template <class E>
std::string MessageOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const E& error) {
    return error.what();
  }
  return std::string();
}
