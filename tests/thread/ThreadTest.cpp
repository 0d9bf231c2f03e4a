// The runtime thread object: suspended creation, priorities, the end notice on the
// user-interface thread, errors kept with the thread, and freeing itself on its own thread.
#include <memory>
#include <stdexcept>

#include "platform/Errors.h"
#include "thread/Thread.h"
#include "thread/ThreadTestSupport.h"

namespace {

class ProbeThread : public TThread {
 public:
  explicit ProbeThread(std::function<void(ProbeThread&)> body, std::function<void()> onFree = {})
      : body_(std::move(body)), onFree_(std::move(onFree)) {}
  ~ProbeThread() override {
    if (onFree_) onFree_();
  }
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(ProbeThread&)> body_;
  std::function<void()> onFree_;
};

class ThreadTest : public ThreadTestBase {};

struct PriorityCase {
  TThreadPriority priority;
  int systemPriority;
};

TEST_F(ThreadTest, EachPriorityReachesTheSystemThreadAsItsSystemValue) {
  const PriorityCase cases[] = {{tpIdle, -15}, {tpLowest, -2}, {tpLower, -1},       {tpNormal, 0},
                                {tpHigher, 1}, {tpHighest, 2}, {tpTimeCritical, 15}};
  for (const PriorityCase& c : cases) {
    SCOPED_TRACE(c.systemPriority);
    EXPECT_EQ(SystemPriority(c.priority), c.systemPriority);
    bool bodyRan = false;
    {
      ProbeThread thread([&](ProbeThread&) { bodyRan = true; });
      thread.SetPriority(c.priority);
      EXPECT_EQ(Machine().Threads().Thread(thread.ThreadID())->priority, c.systemPriority);
      EXPECT_EQ(thread.Priority(), c.priority);
      EXPECT_TRUE(thread.Suspended());
    }  // a thread destroyed before it ran is wound down without its body
    EXPECT_FALSE(bodyRan);
  }
}

TEST_F(ThreadTest, BodyRunsOnItsOwnThreadOnlyAfterResumeAndEndNoticeOnTheUiThread) {
  NoticeLog log;
  ProbeThread thread([&](ProbeThread&) { log.Add(OnUi() ? "body on ui" : "body on worker"); });
  thread.OnTerminate = [&](TThread* sender) {
    log.Add(std::string("end notice ") + (OnUi() ? "on ui" : "on worker") +
            (sender == &thread ? "" : " from another sender"));
  };
  EXPECT_FALSE(Machine().Threads().Thread(thread.ThreadID())->started);

  thread.Resume();
  thread.WaitFor();

  EXPECT_TRUE(thread.Finished());
  EXPECT_FALSE(thread.FatalException());
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"body on worker", "end notice on ui"}));
}

TEST_F(ThreadTest, TerminationRequestedBeforeStartSkipsTheBodyButNotTheEndNotice) {
  bool bodyRan = false;
  int endNotices = 0;
  ProbeThread thread([&](ProbeThread&) { bodyRan = true; });
  thread.OnTerminate = [&](TThread*) { ++endNotices; };

  thread.Terminate();
  thread.Resume();
  thread.WaitFor();

  EXPECT_FALSE(bodyRan);
  EXPECT_EQ(endNotices, 1);
}

TEST_F(ThreadTest, ErrorEscapingTheBodyIsKeptWithTheThreadWhichStillEnds) {
  int endNotices = 0;
  ProbeThread thread([](ProbeThread&) { throw std::runtime_error("body failed"); });
  thread.OnTerminate = [&](TThread*) { ++endNotices; };

  thread.Resume();
  thread.WaitFor();

  EXPECT_EQ(endNotices, 1);
  ASSERT_TRUE(thread.FatalException());
  EXPECT_EQ(MessageOf<std::runtime_error>([&] { std::rethrow_exception(thread.FatalException()); }),
            "body failed");
  EXPECT_TRUE(User().Dialogs().empty()) << "the error reached the error report";
}

TEST_F(ThreadTest, SynchronizeRunsOnTheUiThreadAndRaisesItsErrorInTheWorker) {
  bool ranOnUi = false;
  std::string caught;
  ProbeThread thread([&](ProbeThread& self) {
    self.Synchronize([&] { ranOnUi = OnUi(); });
    try {
      self.Synchronize([] { throw EThread("sync failed"); });
    } catch (const EThread& error) {
      caught = error.what();
    }
  });

  thread.Resume();
  thread.WaitFor();

  EXPECT_TRUE(ranOnUi);
  EXPECT_EQ(caught, "sync failed");
  EXPECT_FALSE(thread.FatalException());
  EXPECT_TRUE(User().Dialogs().empty());
}

TEST_F(ThreadTest, FreeOnTerminateFreesTheObjectOnItsOwnThreadAfterTheEndNotice) {
  auto log = std::make_shared<NoticeLog>();
  std::atomic<bool> freed{false};
  auto thread =
      std::make_unique<ProbeThread>([log](ProbeThread&) { log->Add("body"); },
                                    [log, &freed, this] {
                                      log->Add(OnUi() ? "freed on ui" : "freed on worker");
                                      freed = true;
                                    });
  thread->OnTerminate = [log](TThread*) { log->Add("end notice"); };
  thread->SetFreeOnTerminate(true);
  ProbeThread* running = thread.release();  // from here the thread owns itself

  running->Resume();
  RunUntil([&] { return log->Lines().size() >= 2; });  // the end notice has been served
  while (!freed) std::this_thread::yield();

  EXPECT_EQ(log->Lines(), (std::vector<std::string>{"body", "end notice", "freed on worker"}));
}

TEST_F(ThreadTest, SystemRefusalsRaiseTheRuntimeThreadErrors) {
  Machine().Threads().SetCreationFailure("Not enough memory resources are available");
  EXPECT_EQ(MessageOf<EThread>([] { ProbeThread thread([](ProbeThread&) {}); }),
            "Thread creation error: Not enough memory resources are available");
  Machine().Threads().SetCreationFailure("");

  ProbeThread thread([](ProbeThread&) {});
  Machine().Threads().SetPriorityChangeRefused(true);
  const std::string message = MessageOf<EThread>([&] { thread.SetPriority(tpHigher); });
  EXPECT_EQ(message.rfind("Thread Error: ", 0), 0u) << message;
  EXPECT_NE(message.find("(5)"), std::string::npos) << message;
  EXPECT_EQ(Machine().Threads().Thread(thread.ThreadID())->priority, 0);
}

}  // namespace
