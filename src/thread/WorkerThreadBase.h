#pragma once
// What worker-thread components and thread groups have in common: membership in a group, the
// rank of their update notices, their notices and their own re-entrant lock.
#include <mutex>

#include "platform/gui/Component.h"
#include "thread/WorkerEvents.h"

class TWorkerThreadGroup;

class TWorkerThreadBase : public gui::Component {
 public:
  TWorkerThreadBase(gui::Component* owner, AnsiString name);
  ~TWorkerThreadBase() override;

  TWorkerThreadGroup* ThreadGroup() const { return threadGroup_; }
  // Leaves the current group, then joins the new one; stays without a group when it refuses.
  void SetThreadGroup(TWorkerThreadGroup* group);

  int UpdatePriority() const { return updatePriority_; }
  void SetUpdatePriority(int value) { updatePriority_ = value; }

  TWorkerUpdateNotifyEvent OnUpdate;
  TWorkerDataNotifyEvent OnStart;
  TWorkerDataNotifyEvent OnTerminate;

  virtual bool IsRunning() = 0;
  // The group (and the groups above it) count this object's running threads as started/ended.
  virtual void NotifyGroupStart(TWorkerThreadGroup* group) = 0;
  virtual void NotifyGroupEnd(TWorkerThreadGroup* group) = 0;
  // Becomes a member of group; false when the group refuses it.
  virtual bool JoinGroup(TWorkerThreadGroup* group) = 0;
  virtual void LeaveGroup(TWorkerThreadGroup* group) = 0;
  virtual void Start() = 0;
  virtual void Start(void* Data) = 0;
  virtual void Stop() = 0;
  virtual void Suspend() = 0;
  virtual void Resume() = 0;

 protected:
  std::recursive_mutex& Lock() { return lock_; }

  // The membership rules shared by threads and groups.
  bool JoinAsMember(TWorkerThreadGroup* group);
  void LeaveAsMember(TWorkerThreadGroup* group);

 private:
  TWorkerThreadGroup* threadGroup_ = nullptr;
  int updatePriority_ = 0;
  std::recursive_mutex lock_;
};
