#pragma once
// A group of worker-thread components and further groups. It counts the running threads below
// it and reports the first start and the last end, and passes each member's notices on.
#include <vector>

#include "thread/WorkerThreadBase.h"

class TWorkerThread;

class TWorkerThreadGroup : public TWorkerThreadBase {
 public:
  TWorkerThreadGroup(gui::Component* owner, AnsiString name);
  // Every direct member leaves the group, then the group leaves its own group.
  ~TWorkerThreadGroup() override;

  TWorkerUpdateNotifyEvent OnThreadUpdate;
  TWorkerDataNotifyEvent OnThreadStart;
  TWorkerDataNotifyEvent OnThreadTerminate;

  bool IsRunning() override;
  void NotifyGroupStart(TWorkerThreadGroup* group) override;
  void NotifyGroupEnd(TWorkerThreadGroup* group) override;
  bool JoinGroup(TWorkerThreadGroup* group) override;
  void LeaveGroup(TWorkerThreadGroup* group) override;
  // Forwarded to every direct member in joining order.
  void Start() override;
  void Start(void* Data) override;
  void Stop() override;
  void Suspend() override;
  void Resume() override;

  virtual int RunningCount();

  // The direct members in joining order.
  std::vector<TWorkerThreadBase*> Members();

 private:
  friend class TWorkerThreadBase;
  friend class TWorkerThread;

  void AddMember(TWorkerThreadBase& member);
  void RemoveMember(TWorkerThreadBase& member);
  bool HasMember(TWorkerThreadBase* member);
  template <class Operation>
  void ForEachMember(Operation operation);

  // Notices about one thread somewhere below this group.
  void MemberStarted(TWorkerThread& member);
  void MemberEnded(TWorkerThread& member);
  void MemberUpdated(TWorkerThread& member);

  std::vector<TWorkerThreadBase*> members_;
  int runningCount_ = 0;
};
