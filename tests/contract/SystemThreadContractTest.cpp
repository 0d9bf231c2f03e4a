// The thread contract: a thread is created suspended and runs its body only once its suspend
// count is back to 0; the seven system priorities are set and read back.
#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "contract/ContractEnv.h"
#include "platform/Errors.h"
#include "platform/SystemThread.h"
#include "support/TestNames.h"

namespace contract {
namespace {

using namespace std::chrono_literals;

using SystemThreadContract = ContractTest;

constexpr auto kQuiet = 100ms;  // long enough for a thread that should not run to have run
constexpr auto kRunWait = 10s;

TEST_F(SystemThreadContract, TheBodyRunsOnlyOnceResumeBringsTheSuspendCountTo0) {
  // Shared with the body, so a late body never touches a promise that is gone.
  auto ranOn = std::make_shared<std::promise<std::uint32_t>>();
  std::future<std::uint32_t> ran = ranOn->get_future();
  platform::SystemThread thread([ranOn] { ranOn->set_value(platform::CurrentThreadId()); });
  EXPECT_TRUE(thread.Suspended());
  EXPECT_NE(thread.Id(), 0u);
  EXPECT_NE(thread.Id(), platform::CurrentThreadId());
  EXPECT_FALSE(thread.IsCurrent());

  thread.Suspend();  // suspend count 2
  thread.Resume();   // 1
  EXPECT_TRUE(thread.Suspended());
  EXPECT_EQ(ran.wait_for(kQuiet), std::future_status::timeout) << "ran while suspended";

  thread.Resume();  // 0
  EXPECT_FALSE(thread.Suspended());
  ASSERT_EQ(ran.wait_for(kRunWait), std::future_status::ready);
  EXPECT_EQ(ran.get(), thread.Id()) << "the body runs on the thread of that id";
}

TEST_F(SystemThreadContract, IsCurrentHoldsOnTheThreadItself) {
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> answered = answer->get_future();
  platform::SystemThread* self = nullptr;
  platform::SystemThread thread([answer, &self] { answer->set_value(self->IsCurrent()); });
  self = &thread;
  thread.Resume();
  ASSERT_EQ(answered.wait_for(kRunWait), std::future_status::ready);
  EXPECT_TRUE(answered.get());
}

class ThreadPriorityContract : public ContractTest, public ::testing::WithParamInterface<int> {};

TEST_P(ThreadPriorityContract, IsSetAndReadBack) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  platform::SystemThread thread([done] { done->set_value(); });
  EXPECT_EQ(thread.Priority(), 0) << "a new thread has the normal priority";
  thread.SetPriority(GetParam());
  EXPECT_EQ(thread.Priority(), GetParam());
  thread.Resume();
  ASSERT_EQ(finished.wait_for(kRunWait), std::future_status::ready);
}

INSTANTIATE_TEST_SUITE_P(SystemPriorities, ThreadPriorityContract,
                         ::testing::Values(-15, -2, -1, 0, 1, 2, 15), test_names::FromValue());

TEST_F(SystemThreadContract, APriorityOutsideTheSystemValuesIsRefused) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  platform::SystemThread thread([done] { done->set_value(); });
  thread.SetPriority(1);
  try {
    thread.SetPriority(7);
    ADD_FAILURE() << "priority 7 was accepted";
  } catch (const EThread& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Thread Error: ", 0), 0u) << Readable(message);
    const std::string code = " (87)";
    EXPECT_TRUE(message.size() > 14 + code.size() &&
                message.compare(message.size() - code.size(), code.size(), code) == 0)
        << Readable(message);
  }
  EXPECT_EQ(thread.Priority(), 1) << "a refused priority leaves the one before";
  thread.Resume();
  ASSERT_EQ(finished.wait_for(kRunWait), std::future_status::ready);
}

}  // namespace
}  // namespace contract
