// Thread groups: counting first start and last end, passing notices up the chain of groups,
// membership rules (cycles refused, running members counted on joining and leaving), update
// suppression by rank, forwarding of operations and destruction.
#include <map>

#include "thread/ThreadTestSupport.h"
#include "thread/WorkerThread.h"

namespace {

class WorkerThreadGroupTest : public ThreadTestBase {
 protected:
  // A worker whose body reports 50 percent, then waits until the test releases it.
  ProbeWorker& MakeWorker(const AnsiString& name) {
    auto& worker = App().Make<ProbeWorker>(name);
    auto& gates = gates_[&worker];
    gates = std::make_unique<BodyGates>();
    worker.OnExecute = [body = gates.get()](gui::Component*, TWorkerExecuteThread* self, void*&) {
      self->SetPercent(50);
      body->entered.Open();
      body->release.Wait();
    };
    return worker;
  }
  // A worker whose body reports 50 percent, then runs until its termination is requested; its
  // own end notice is logged as "Name.OwnOnTerminate".
  ProbeWorker& MakeWorkerUntilStopped(const AnsiString& name) {
    auto& worker = MakeWorker(name);
    worker.OnExecute = [body = gates_[&worker].get()](gui::Component*, TWorkerExecuteThread* self,
                                                      void*&) {
      self->SetPercent(50);
      body->entered.Open();
      while (!self->Terminated()) std::this_thread::yield();
    };
    worker.OnTerminate = [this, name](gui::Component*, TWorkerExecuteThread*, void*&) {
      log.Add(name + ".OwnOnTerminate");
    };
    return worker;
  }
  // Starts a worker made by MakeWorker and waits until its body has set its percent.
  void StartAndWait(ProbeWorker& worker) {
    worker.Start();
    gates_[&worker]->entered.Wait();
  }
  // Lets a worker's body return and serves its end notice.
  void Finish(ProbeWorker& worker) {
    gates_[&worker]->release.Open();
    RunUntil([&] { return !worker.IsRunning(); });
  }

  // Records every notice of a group as "Group.Event(Sender)".
  TWorkerThreadGroup& MakeGroup(const AnsiString& name) {
    auto& group = App().Make<TWorkerThreadGroup>(name);
    auto record = [this, name](const char* event) {
      return [this, name, event](gui::Component* sender, TWorkerExecuteThread* thread, void*&) {
        log.Add(name + "." + event + "(" + sender->Name() + ")");
        EXPECT_NE(thread, nullptr);
      };
    };
    group.OnStart = record("OnStart");
    group.OnTerminate = record("OnTerminate");
    group.OnThreadStart = record("OnThreadStart");
    group.OnThreadTerminate = record("OnThreadTerminate");
    group.OnThreadUpdate = [this, name](gui::Component* sender, TWorkerExecuteThread*, void*&,
                                        int percent) {
      log.Add(name + ".OnThreadUpdate(" + sender->Name() + "," + std::to_string(percent) + ")");
    };
    group.OnUpdate = [this, name](gui::Component* sender, TWorkerExecuteThread*, void*&,
                                  int percent) {
      log.Add(name + ".OnUpdate(" + sender->Name() + "," + std::to_string(percent) + ")");
    };
    return group;
  }

  std::vector<std::string> TakeLog() {
    auto lines = log.Lines();
    log.Clear();
    return lines;
  }

  NoticeLog log;

 private:
  struct BodyGates {
    Gate entered;
    Gate release;
  };
  std::map<TWorkerThread*, std::unique_ptr<BodyGates>> gates_;
};

using Lines = std::vector<std::string>;

TEST_F(WorkerThreadGroupTest, TwoRunningMembersRaiseOnStartOnceAndOnTerminateOnce) {
  auto& group = MakeGroup("G");
  auto& w1 = MakeWorker("W1");
  auto& w2 = MakeWorker("W2");
  w1.SetThreadGroup(&group);
  w2.SetThreadGroup(&group);
  EXPECT_EQ(group.Members(), (std::vector<TWorkerThreadBase*>{&w1, &w2}));
  EXPECT_FALSE(group.IsRunning());

  w1.Start();
  w2.Start();
  EXPECT_EQ(group.RunningCount(), 2);
  EXPECT_TRUE(group.IsRunning());
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadStart(W1)", "G.OnStart(W1)", "G.OnThreadStart(W2)"}));

  Finish(w1);
  EXPECT_EQ(group.RunningCount(), 1);
  Finish(w2);
  EXPECT_EQ(group.RunningCount(), 0);
  EXPECT_EQ(TakeLog(),
            (Lines{"G.OnThreadTerminate(W1)", "G.OnThreadTerminate(W2)", "G.OnTerminate(W2)"}));
}

TEST_F(WorkerThreadGroupTest, StartAndEndPassUpTheChainOfGroupsButUpdatesDoNot) {
  auto& outer = MakeGroup("Outer");
  auto& inner = MakeGroup("Inner");
  auto& w = MakeWorker("W");
  inner.SetThreadGroup(&outer);
  w.SetThreadGroup(&inner);

  StartAndWait(w);
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadStart(W)", "Outer.OnThreadStart(W)",
                              "Outer.OnStart(W)", "Inner.OnStart(W)"}));
  EXPECT_EQ(outer.RunningCount(), 1);

  w.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadUpdate(W,50)", "Inner.OnUpdate(W,50)"}));

  Finish(w);
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadTerminate(W)", "Outer.OnThreadTerminate(W)",
                              "Outer.OnTerminate(W)", "Inner.OnTerminate(W)"}));
  EXPECT_EQ(outer.RunningCount(), 0);
}

TEST_F(WorkerThreadGroupTest, JoiningAGroupThatWouldContainItselfIsRefused) {
  // a > b > c: b is a member of a, c of b; each test case tries to close a loop.
  struct Case {
    const char* joiner;
    const char* target;
  };
  for (const Case c : {Case{"a", "a"}, Case{"a", "b"}, Case{"a", "c"}, Case{"b", "c"}}) {
    SCOPED_TRACE(std::string(c.joiner) + " joins " + c.target);
    std::map<std::string, TWorkerThreadGroup*> groups;
    for (const char* name : {"a", "b", "c", "old"}) groups[name] = &MakeGroup(name);
    groups["b"]->SetThreadGroup(groups["a"]);
    groups["c"]->SetThreadGroup(groups["b"]);
    TWorkerThreadGroup& joiner = *groups[c.joiner];
    TWorkerThreadGroup& target = *groups[c.target];
    // The joiner starts out in a group of its own choosing, which it leaves on the attempt.
    joiner.SetThreadGroup(nullptr);
    joiner.SetThreadGroup(groups["old"]);
    ASSERT_EQ(joiner.ThreadGroup(), groups["old"]);

    joiner.SetThreadGroup(&target);

    EXPECT_EQ(joiner.ThreadGroup(), nullptr);
    EXPECT_TRUE(groups["old"]->Members().empty());
    for (TWorkerThreadBase* member : target.Members()) EXPECT_NE(member, &joiner);
    for (auto& named : groups) App().DestroyOwned(*named.second);
  }

  // The same groups the other way round are fine.
  auto& top = MakeGroup("top");
  auto& below = MakeGroup("below");
  below.SetThreadGroup(&top);
  EXPECT_EQ(below.ThreadGroup(), &top);
  EXPECT_EQ(top.Members(), (std::vector<TWorkerThreadBase*>{&below}));
}

TEST_F(WorkerThreadGroupTest, RunningMembersAreCountedWhenTheyJoinAndLeave) {
  auto& group = MakeGroup("G");
  auto& w1 = MakeWorker("W1");
  auto& w2 = MakeWorker("W2");
  w1.Start();
  w2.Start();

  w1.SetThreadGroup(&group);
  w2.SetThreadGroup(&group);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadStart(W1)", "G.OnStart(W1)", "G.OnThreadStart(W2)"}));

  w1.SetThreadGroup(nullptr);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadTerminate(W1)"}));
  EXPECT_EQ(group.RunningCount(), 1);
  w2.SetThreadGroup(nullptr);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadTerminate(W2)", "G.OnTerminate(W2)"}));
  EXPECT_TRUE(group.Members().empty());

  // Their real ends no longer concern the group.
  Finish(w1);
  Finish(w2);
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(group.RunningCount(), 0);
}

TEST_F(WorkerThreadGroupTest, AGroupJoiningAnotherBringsItsRunningThreadsOnly) {
  auto& parent = MakeGroup("P");
  auto& group = MakeGroup("G");
  auto& idle = MakeWorker("Idle");
  auto& busy = MakeWorker("Busy");
  idle.SetThreadGroup(&group);
  busy.SetThreadGroup(&group);
  busy.Start();
  TakeLog();

  group.SetThreadGroup(&parent);
  EXPECT_EQ(TakeLog(), (Lines{"P.OnThreadStart(Busy)", "P.OnStart(Busy)"}));
  EXPECT_EQ(parent.RunningCount(), 1);

  group.SetThreadGroup(nullptr);
  EXPECT_EQ(TakeLog(), (Lines{"P.OnThreadTerminate(Busy)", "P.OnTerminate(Busy)"}));
  Finish(busy);
}

TEST_F(WorkerThreadGroupTest, GroupUpdateIsSuppressedByARunningMemberOfHigherRank) {
  auto& group = MakeGroup("G");
  auto& low = MakeWorker("Low");
  auto& high = MakeWorker("High");
  int lowOwnUpdates = 0;
  low.OnUpdate = [&](gui::Component*, TWorkerExecuteThread*, void*&, int) { ++lowOwnUpdates; };
  low.SetUpdatePriority(1);
  high.SetUpdatePriority(2);
  low.SetThreadGroup(&group);
  high.SetThreadGroup(&group);
  StartAndWait(low);
  StartAndWait(high);
  TakeLog();

  low.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(Low,50)"}));
  EXPECT_EQ(lowOwnUpdates, 1) << "a member's own update notice is never suppressed";
  high.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(High,50)", "G.OnUpdate(High,50)"}));

  high.SetUpdatePriority(1);  // equal rank does not suppress
  low.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(Low,50)", "G.OnUpdate(Low,50)"}));

  high.SetUpdatePriority(2);
  Finish(high);  // a member of higher rank that is not running does not suppress
  TakeLog();
  low.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(Low,50)", "G.OnUpdate(Low,50)"}));

  group.OnUpdate = nullptr;  // the per-thread notice comes regardless
  low.UpdateTick();
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(Low,50)"}));
  Finish(low);
}

TEST_F(WorkerThreadGroupTest, RefreshTimerTicksReachTheGroup) {
  auto& group = MakeGroup("G");
  auto& w = MakeWorker("W");
  w.SetThreadGroup(&group);
  w.SetUpdateEnabled(true);
  StartAndWait(w);
  TakeLog();

  LetTimePass(250);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadUpdate(W,50)", "G.OnUpdate(W,50)",
                              "G.OnThreadUpdate(W,50)", "G.OnUpdate(W,50)"}));
  Finish(w);
}

TEST_F(WorkerThreadGroupTest, OperationsAreForwardedToEveryMemberInOrder) {
  auto& group = MakeGroup("G");
  auto& w1 = MakeWorker("W1");
  auto& w2 = MakeWorker("W2");
  w1.SetThreadGroup(&group);
  w2.SetThreadGroup(&group);
  int data = 0;
  std::vector<std::string> started;
  std::vector<void*> given;
  std::vector<TWorkerExecuteThread*> threads;
  for (ProbeWorker* w : {&w1, &w2}) {
    w->OnStart = [&, w](gui::Component*, TWorkerExecuteThread* thread, void*& data) {
      started.push_back(w->Name());
      given.push_back(data);
      threads.push_back(thread);
    };
    w->OnExecute = [](gui::Component*, TWorkerExecuteThread* self, void*&) {
      while (!self->Terminated()) std::this_thread::yield();
    };
  }

  group.Start(&data);
  EXPECT_EQ(started, (std::vector<std::string>{"W1", "W2"}));
  EXPECT_EQ(given, (std::vector<void*>{&data, &data}));
  group.Suspend();
  for (TWorkerExecuteThread* thread : threads) EXPECT_TRUE(thread->Suspended());
  group.Resume();
  for (TWorkerExecuteThread* thread : threads) EXPECT_FALSE(thread->Suspended());
  group.Stop();
  for (TWorkerExecuteThread* thread : threads) EXPECT_TRUE(thread->Terminated());
  RunUntil([&] { return !group.IsRunning(); });
  EXPECT_FALSE(w1.IsRunning());
  EXPECT_FALSE(w2.IsRunning());

  group.Start();
  EXPECT_EQ(started, (std::vector<std::string>{"W1", "W2", "W1", "W2"}));
  EXPECT_EQ(given, (std::vector<void*>{&data, &data, nullptr, nullptr}));
  group.Stop();
  RunUntil([&] { return !group.IsRunning(); });
}

TEST_F(WorkerThreadGroupTest, DestroyingAGroupMakesEveryMemberLeaveIt) {
  auto& outer = MakeGroup("Outer");
  auto& inner = MakeGroup("Inner");
  auto& busy = MakeWorker("Busy");
  auto& idle = MakeWorker("Idle");
  inner.SetThreadGroup(&outer);
  busy.SetThreadGroup(&inner);
  idle.SetThreadGroup(&inner);
  busy.Start();
  TakeLog();

  App().DestroyOwned(inner);

  EXPECT_EQ(busy.ThreadGroup(), nullptr);
  EXPECT_EQ(idle.ThreadGroup(), nullptr);
  EXPECT_TRUE(outer.Members().empty());
  EXPECT_EQ(outer.RunningCount(), 0);
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadTerminate(Busy)", "Outer.OnThreadTerminate(Busy)",
                              "Outer.OnTerminate(Busy)", "Inner.OnTerminate(Busy)"}));
  Finish(busy);
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(WorkerThreadGroupTest, DestroyingARunningMemberCountsItsEndInEveryGroupAbove) {
  auto& outer = MakeGroup("Outer");
  auto& inner = MakeGroup("Inner");
  auto& w = MakeWorkerUntilStopped("W");
  inner.SetThreadGroup(&outer);
  w.SetThreadGroup(&inner);
  StartAndWait(w);
  TakeLog();

  App().DestroyOwned(w);

  // The member's own end notice stays silent during its destruction; the groups hear the end.
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadTerminate(W)", "Outer.OnThreadTerminate(W)",
                              "Outer.OnTerminate(W)", "Inner.OnTerminate(W)"}));
  EXPECT_EQ(inner.RunningCount(), 0);
  EXPECT_EQ(outer.RunningCount(), 0);
  EXPECT_FALSE(outer.IsRunning());
  EXPECT_TRUE(inner.Members().empty());

  // Counted down for real: the next thread to start is the first again in both groups.
  auto& next = MakeWorker("Next");
  next.SetThreadGroup(&inner);
  StartAndWait(next);
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadStart(Next)", "Outer.OnThreadStart(Next)",
                              "Outer.OnStart(Next)", "Inner.OnStart(Next)"}));
  Finish(next);
  EXPECT_EQ(TakeLog(), (Lines{"Inner.OnThreadTerminate(Next)", "Outer.OnThreadTerminate(Next)",
                              "Outer.OnTerminate(Next)", "Inner.OnTerminate(Next)"}));
}

TEST_F(WorkerThreadGroupTest, AGroupWhoseRunningMembersAreDestroyedEndsWithTheLastOfThem) {
  auto& group = MakeGroup("G");
  auto& w1 = MakeWorkerUntilStopped("W1");
  auto& w2 = MakeWorkerUntilStopped("W2");
  w1.SetThreadGroup(&group);
  w2.SetThreadGroup(&group);
  StartAndWait(w1);
  StartAndWait(w2);
  TakeLog();

  App().DestroyOwned(w1);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadTerminate(W1)"}));
  EXPECT_EQ(group.RunningCount(), 1);
  EXPECT_TRUE(group.IsRunning());
  EXPECT_EQ(group.Members(), (std::vector<TWorkerThreadBase*>{&w2}));

  App().DestroyOwned(w2);
  EXPECT_EQ(TakeLog(), (Lines{"G.OnThreadTerminate(W2)", "G.OnTerminate(W2)"}));
  EXPECT_EQ(group.RunningCount(), 0);
  EXPECT_FALSE(group.IsRunning());
}

}  // namespace
