// Threads of the simulated machine: real threads, created suspended, with the suspend count and
// priority the machine records.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "platform/Errors.h"
#include "platform/SystemThread.h"
#include "support/SimTest.h"

namespace {

using namespace std::chrono_literals;

class SystemThreadTest : public SimTest {};

TEST_F(SystemThreadTest, BodyRunsOnlyAfterTheSuspendCountReachesZero) {
  std::promise<std::uint32_t> ranOn;
  auto ran = ranOn.get_future();
  platform::SystemThread thread([&] { ranOn.set_value(platform::CurrentThreadId()); });
  EXPECT_TRUE(thread.Suspended());
  thread.Suspend();  // count 2
  thread.Resume();   // count 1
  EXPECT_EQ(ran.wait_for(50ms), std::future_status::timeout) << "still suspended";
  auto info = Machine().Threads().Thread(thread.Id());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->suspendCount, 1);
  EXPECT_FALSE(info->started);

  thread.Resume();
  ASSERT_EQ(ran.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(ran.get(), thread.Id()) << "CurrentThreadId on the thread equals its Id";
  EXPECT_NE(platform::CurrentThreadId(), thread.Id());
  EXPECT_FALSE(thread.IsCurrent());
  thread.Resume();  // count already 0: nothing happens
  EXPECT_FALSE(thread.Suspended());
}

TEST_F(SystemThreadTest, IsCurrentOnlyOnTheThreadItself) {
  std::promise<bool> current;
  auto answer = current.get_future();
  platform::SystemThread* self = nullptr;
  platform::SystemThread thread([&] { current.set_value(self->IsCurrent()); });
  self = &thread;
  thread.Resume();
  ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
  EXPECT_TRUE(answer.get());
}

TEST_F(SystemThreadTest, RunningThreadsAreCountedUntilTheirBodyReturns) {
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  platform::SystemThread thread([&] {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return release; });
  });
  EXPECT_EQ(Machine().Threads().RunningCount(), 0) << "a suspended thread cannot queue anything";
  thread.Resume();
  EXPECT_EQ(Machine().Threads().RunningCount(), 1);
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  changed.notify_all();
  for (int i = 0; i < 500 && Machine().Threads().RunningCount() > 0; ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(Machine().Threads().RunningCount(), 0);
  EXPECT_TRUE(Machine().Threads().Thread(thread.Id())->finished);
}

TEST_F(SystemThreadTest, ThreadDestroyedBeforeResumeNeverRunsItsBody) {
  std::atomic<bool> ran{false};
  std::uint32_t id = 0;
  {
    platform::SystemThread thread([&] { ran = true; });
    id = thread.Id();
  }
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(Machine().Threads().Thread(id)->started);
}

TEST_F(SystemThreadTest, PrioritiesAreRecordedAndBadOnesRefused) {
  platform::SystemThread thread([] {});
  EXPECT_EQ(thread.Priority(), 0);
  for (int priority : {-15, -2, -1, 0, 1, 2, 15}) {
    thread.SetPriority(priority);
    EXPECT_EQ(thread.Priority(), priority);
    EXPECT_EQ(Machine().Threads().Thread(thread.Id())->priority, priority);
  }
  try {
    thread.SetPriority(3);
    ADD_FAILURE() << "priority 3 accepted";
  } catch (const EThread& error) {
    EXPECT_STREQ(error.what(), "Thread Error: The parameter is incorrect (87)");
  }
  Machine().Threads().SetPriorityChangeRefused(true);
  try {
    thread.SetPriority(1);
    ADD_FAILURE() << "refused change accepted";
  } catch (const EThread& error) {
    EXPECT_STREQ(error.what(), "Thread Error: Access is denied (5)");
  }
  EXPECT_EQ(thread.Priority(), 15) << "a refused change keeps the old priority";
}

TEST_F(SystemThreadTest, CreationCanBeMadeToFail) {
  Machine().Threads().SetCreationFailure("Not enough storage is available to process this command");
  try {
    platform::SystemThread thread([] {});
    ADD_FAILURE() << "thread created";
  } catch (const EThread& error) {
    EXPECT_STREQ(error.what(),
                 "Thread creation error: Not enough storage is available to process this command");
  }
  EXPECT_TRUE(Machine().Threads().List().empty());
  Machine().Threads().SetCreationFailure("");
  platform::SystemThread thread([] {});
  EXPECT_EQ(Machine().Threads().List().size(), 1u);
}

}  // namespace
