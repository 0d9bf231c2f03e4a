// The worker-thread component: its notices and where they run, the life of its thread, update
// notices, synchronised calls, priorities, refusals of the system and destruction.
#include <stdexcept>

#include "platform/Errors.h"
#include "thread/ThreadTestSupport.h"
#include "thread/WorkerThread.h"

namespace {

class WorkerThreadTest : public ThreadTestBase {
 protected:
  ProbeWorker& worker = App().Make<ProbeWorker>("Thread1");

  sim::SimThreadInfo SystemThreadOf(TWorkerExecuteThread* thread) {
    return *Machine().Threads().Thread(thread->ThreadID());
  }
  void RunUntilIdle() {
    RunUntil([&] { return !worker.IsRunning(); });
  }
};

TEST_F(WorkerThreadTest, IsCreatedIdleAndOperationsOnAnIdleComponentDoNothing) {
  EXPECT_EQ(worker.Priority(), tpNormal);
  EXPECT_EQ(worker.RefreshInterval(), 100u);
  EXPECT_FALSE(worker.UpdateEnabled());
  EXPECT_FALSE(RefreshTimerOf(worker).Enabled());
  EXPECT_EQ(worker.UpdatePriority(), 0);
  EXPECT_EQ(worker.ThreadGroup(), nullptr);
  EXPECT_FALSE(worker.IsRunning());

  worker.Stop();
  worker.Suspend();
  worker.Resume();
  worker.SetPriority(tpHighest);  // only stored while idle
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_TRUE(Machine().Threads().List().empty());
}

TEST_F(WorkerThreadTest, NoticesRunInOrderOnTheirThreadsAndShareDataByReference) {
  int given = 0, fromStart = 0, fromExecute = 0;
  NoticeLog log;
  TWorkerExecuteThread* started = nullptr;
  worker.OnStart = [&](gui::Component* sender, TWorkerExecuteThread* thread, void*& data) {
    started = thread;
    log.Add("start");
    EXPECT_EQ(sender, &worker);
    EXPECT_TRUE(OnUi());
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_TRUE(worker.LockHeld()) << "OnStart runs without the component's lock";
    EXPECT_EQ(data, &given);
    data = &fromStart;
  };
  worker.OnExecute = [&](gui::Component* sender, TWorkerExecuteThread* thread, void*& data) {
    log.Add("execute");
    EXPECT_EQ(sender, &worker);
    EXPECT_EQ(thread, started);
    EXPECT_FALSE(OnUi());
    EXPECT_FALSE(worker.LockHeld()) << "OnExecute runs under the component's lock";
    EXPECT_EQ(data, &fromStart);
    data = &fromExecute;
  };
  worker.OnTerminate = [&](gui::Component* sender, TWorkerExecuteThread* thread, void*& data) {
    log.Add("terminate");
    EXPECT_EQ(sender, &worker);
    EXPECT_EQ(thread, started);
    EXPECT_TRUE(OnUi());
    EXPECT_FALSE(worker.IsRunning()) << "the thread is forgotten before OnTerminate";
    EXPECT_TRUE(worker.LockHeld()) << "OnTerminate runs without the component's lock";
    EXPECT_EQ(data, &fromExecute);
  };

  worker.Start(&given);
  EXPECT_TRUE(worker.IsRunning());
  RunUntilIdle();

  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"start", "execute", "terminate"}));
}

TEST_F(WorkerThreadTest, StartWhileRunningIsIgnoredAndStartAfterTheEndIsAFreshThread) {
  Gate release;
  std::vector<std::uint32_t> startedIds;
  std::vector<int> percentAtStart;
  worker.OnStart = [&](gui::Component*, TWorkerExecuteThread* thread, void*&) {
    startedIds.push_back(thread->ThreadID());
    percentAtStart.push_back(thread->Percent());
  };
  worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* thread, void*&) {
    thread->SetPercent(77);
    release.Wait();
  };

  worker.Start();
  worker.Start();
  EXPECT_EQ(startedIds.size(), 1u);
  EXPECT_EQ(Machine().Threads().List().size(), 1u);
  release.Open();
  RunUntilIdle();

  worker.Start();
  RunUntilIdle();
  ASSERT_EQ(startedIds.size(), 2u);
  EXPECT_NE(startedIds[0], startedIds[1]);
  EXPECT_EQ(percentAtStart, (std::vector<int>{0, 0}));
  EXPECT_EQ(Machine().Threads().List().size(), 2u);
}

TEST_F(WorkerThreadTest, StopResumesASuspendedThreadSoThatItCanEnd) {
  struct Case {
    const char* when;
    bool suspendBeforeBody;
  };
  for (const Case c : {Case{"before its body began", true}, Case{"while its body runs", false}}) {
    SCOPED_TRACE(c.when);
    Gate entered;
    TWorkerExecuteThread* thread = nullptr;
    worker.OnStart = [&](gui::Component*, TWorkerExecuteThread* started, void*&) {
      thread = started;
      if (c.suspendBeforeBody) started->Suspend();  // Start's own Resume leaves it suspended
    };
    worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* self, void*&) {
      entered.Open();
      while (!self->Terminated()) std::this_thread::yield();
    };

    worker.Start();
    if (c.suspendBeforeBody) {
      EXPECT_FALSE(SystemThreadOf(thread).started);
    } else {
      entered.Wait();
      worker.Suspend();
    }
    EXPECT_EQ(SystemThreadOf(thread).suspendCount, 1);

    worker.Stop();
    EXPECT_EQ(SystemThreadOf(thread).suspendCount, 0);
    EXPECT_TRUE(SystemThreadOf(thread).started);
    EXPECT_TRUE(thread->Terminated());
    RunUntilIdle();
  }
}

TEST_F(WorkerThreadTest, DestroyingWhileTheBodyRunsReturnsAfterTheEndNoticeWithoutOnTerminate) {
  Gate entered;
  std::atomic<bool> lastCallServed{false}, bodyReturned{false};
  int terminateNotices = 0;
  worker.OnTerminate = [&](gui::Component*, TWorkerExecuteThread*, void*&) { ++terminateNotices; };
  worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* self, void*&) {
    entered.Open();
    while (!self->Terminated()) std::this_thread::yield();
    // Ending takes one more turn of the user-interface queue; destruction must serve it.
    gui::Application::Instance().Synchronize([&] { lastCallServed = true; });
    bodyReturned = true;
  };

  worker.Start();
  entered.Wait();
  App().DestroyOwned(worker);

  EXPECT_TRUE(lastCallServed);
  EXPECT_TRUE(bodyReturned);
  EXPECT_EQ(terminateNotices, 0);
}

TEST_F(WorkerThreadTest, UpdateNoticesComeOnlyWhenUpdateEnabled) {
  for (const bool updateEnabled : {false, true}) {
    SCOPED_TRACE(updateEnabled ? "UpdateEnabled true" : "UpdateEnabled false");
    Gate percentSet, release;
    std::vector<int> percents;
    bool allOnUi = true, allLocked = true;
    worker.SetUpdateEnabled(updateEnabled);
    EXPECT_EQ(RefreshTimerOf(worker).Enabled(), updateEnabled) << "switched at once";
    worker.OnUpdate = [&](gui::Component* sender, TWorkerExecuteThread*, void*&, int percent) {
      percents.push_back(percent);
      allOnUi = allOnUi && OnUi() && sender == &worker;
      allLocked = allLocked && worker.LockHeld();
    };
    worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* self, void*&) {
      self->SetPercent(42);
      percentSet.Open();
      release.Wait();
    };

    worker.Start();
    percentSet.Wait();
    LetTimePass(1000);  // ten refresh intervals
    release.Open();
    RunUntilIdle();

    if (updateEnabled) {
      EXPECT_GE(percents.size(), 9u);
      EXPECT_EQ(percents.front(), 42);
      EXPECT_TRUE(allOnUi);
      EXPECT_TRUE(allLocked) << "OnUpdate runs without the component's lock";
      // The timer goes on after the end; its ticks without a thread do nothing.
      EXPECT_TRUE(RefreshTimerOf(worker).Enabled());
      const std::size_t whileRunning = percents.size();
      LetTimePass(1000);
      EXPECT_EQ(percents.size(), whileRunning);
    } else {
      EXPECT_TRUE(percents.empty());
      EXPECT_FALSE(Backend().TimerDeadline(RefreshTimerOf(worker)).has_value());
    }
    worker.SetUpdateEnabled(false);
    EXPECT_FALSE(Backend().TimerDeadline(RefreshTimerOf(worker)).has_value());
  }
}

TEST_F(WorkerThreadTest, SynchronizeRunsOnTheUiThreadWithTheOwnerAndNotAfterStop) {
  Gate stopped;
  std::atomic<int> calls{0};
  bool ranOnUiWithOwner = false;
  worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* self, void*&) {
    self->Synchronize([&](gui::Component* sender) {
      ranOnUiWithOwner = OnUi() && sender == &worker;
      ++calls;
    });
    self->Synchronize(nullptr);
    stopped.Wait();
    self->Synchronize([&](gui::Component*) { ++calls; });
  };

  worker.Start();
  RunUntil([&] { return calls == 1; });
  worker.Stop();
  stopped.Open();
  RunUntilIdle();

  EXPECT_TRUE(ranOnUiWithOwner);
  EXPECT_EQ(calls, 1);
}

TEST_F(WorkerThreadTest, ErrorOfASynchronizedMethodIsRaisedInTheWorkerAndKeptWithTheThread) {
  for (const bool bodyCatches : {true, false}) {
    SCOPED_TRACE(bodyCatches ? "body catches it" : "error escapes the body");
    std::string caught, kept;
    worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread* self, void*&) {
      try {
        self->Synchronize([](gui::Component*) { throw std::runtime_error("wizard failed"); });
      } catch (const std::runtime_error& error) {
        caught = error.what();
        if (!bodyCatches) throw;
      }
    };
    worker.OnTerminate = [&](gui::Component*, TWorkerExecuteThread* thread, void*&) {
      if (thread->FatalException()) {
        kept = MessageOf<std::runtime_error>(
            [&] { std::rethrow_exception(thread->FatalException()); });
      }
    };

    worker.Start();
    RunUntilIdle();

    EXPECT_EQ(caught, "wizard failed");
    EXPECT_EQ(kept, bodyCatches ? "" : "wizard failed");
    EXPECT_TRUE(User().Dialogs().empty()) << "the error reached the error report";
  }
}

TEST_F(WorkerThreadTest, PriorityIsAppliedAtCreationAndAtOnceToARunningThread) {
  Gate release;
  TWorkerExecuteThread* thread = nullptr;
  worker.OnStart = [&](gui::Component*, TWorkerExecuteThread* started, void*&) {
    thread = started;
  };
  worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread*, void*&) { release.Wait(); };
  worker.SetPriority(tpLowest);

  worker.Start();
  EXPECT_EQ(SystemThreadOf(thread).priority, -2);
  worker.SetPriority(tpTimeCritical);
  EXPECT_EQ(SystemThreadOf(thread).priority, 15);
  EXPECT_EQ(thread->Priority(), tpTimeCritical);
  release.Open();
  RunUntilIdle();
}

TEST_F(WorkerThreadTest, StartRefusedByTheSystemLeavesTheComponentIdle) {
  struct Case {
    const char* refusal;
    std::function<void(sim::SimMachine&, bool)> refuse;
    const char* messageStart;
  };
  const Case cases[] = {
      {"thread creation",
       [](sim::SimMachine& machine, bool on) {
         machine.Threads().SetCreationFailure(on ? "Not enough memory resources are available"
                                                 : "");
       },
       "Thread creation error: Not enough memory resources are available"},
      {"priority change",
       [](sim::SimMachine& machine, bool on) { machine.Threads().SetPriorityChangeRefused(on); },
       "Thread Error: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusal);
    int starts = 0, bodies = 0, ends = 0;
    worker.OnStart = [&](gui::Component*, TWorkerExecuteThread*, void*&) { ++starts; };
    worker.OnExecute = [&](gui::Component*, TWorkerExecuteThread*, void*&) { ++bodies; };
    worker.OnTerminate = [&](gui::Component*, TWorkerExecuteThread*, void*&) { ++ends; };

    c.refuse(Machine(), true);
    const std::string message = MessageOf<EThread>([&] { worker.Start(); });
    EXPECT_EQ(message.rfind(c.messageStart, 0), 0u) << message;
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(starts + bodies + ends, 0);

    c.refuse(Machine(), false);
    worker.Start();
    RunUntilIdle();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(bodies, 1);
    EXPECT_EQ(ends, 1);
  }
}

}  // namespace
