#pragma once
// The threads of the simulated machine made through SystemThread, what the system refuses them
// (creation, priority changes), and the COM apartments each thread opened.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

// What the machine knows of one SystemThread. Shared between the machine, the thread object
// and the running thread, so it outlives whichever goes first.
struct SimThreadRecord {
  explicit SimThreadRecord(std::uint32_t threadId) : id(threadId) {}
  const std::uint32_t id;
  std::atomic<int> priority{0};
  std::atomic<int> suspendCount{1};  // created suspended
  std::atomic<bool> started{false};  // resumed at least once: the body runs or has run
  std::atomic<bool> finished{false};
};

// A copy of a SimThreadRecord at one moment.
struct SimThreadInfo {
  std::uint32_t id = 0;
  int priority = 0;
  int suspendCount = 0;
  bool started = false;
  bool finished = false;
};

class SimThreads {
 public:
  // ---- Threads made through SystemThread
  std::shared_ptr<SimThreadRecord> Register(std::uint32_t id);
  // Live threads: started and not yet finished (they may still queue synchronised calls).
  int RunningCount() const;
  std::vector<SimThreadInfo> List() const;
  std::optional<SimThreadInfo> Thread(std::uint32_t id) const;
  // Makes the next thread creations fail with this system reason (empty: succeed again).
  void SetCreationFailure(const AnsiString& reason);
  AnsiString CreationFailure() const;
  // Makes the system refuse every priority change.
  void SetPriorityChangeRefused(bool refused);
  bool PriorityChangeRefused() const;

  // ---- COM apartments, per thread (OleInitialize / OleUninitialize)
  // Opens an apartment on the thread; openings nest, as the system counts them. False, and
  // nothing opened, when the machine refuses COM.
  bool OpenComApartment(std::uint32_t threadId);
  void CloseComApartment(std::uint32_t threadId);
  // True while the thread has an apartment open: COM may be used on it.
  bool ComInitialized(std::uint32_t threadId) const;
  // Makes every following OleInitialize fail, as it does on a thread already in another kind of
  // apartment.
  void SetComRefused(bool refused);

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<SimThreadRecord>> threads_;
  AnsiString creationFailure_;
  bool priorityChangeRefused_ = false;
  std::map<std::uint32_t, int> comApartments_;  // open apartments per thread id
  bool comRefused_ = false;
};

}  // namespace sim
