#include "thread/WorkerThreadBase.h"

#include "thread/WorkerThreadGroup.h"

TWorkerThreadBase::TWorkerThreadBase(gui::Component* owner, AnsiString name)
    : gui::Component(owner, std::move(name)) {}

// Subclasses leave their group in their own destructors, while their overrides still run.
TWorkerThreadBase::~TWorkerThreadBase() = default;

void TWorkerThreadBase::SetThreadGroup(TWorkerThreadGroup* group) {
  if (group == threadGroup_) return;
  if (threadGroup_) LeaveGroup(threadGroup_);
  threadGroup_ = nullptr;
  if (JoinGroup(group)) threadGroup_ = group;
}

bool TWorkerThreadBase::JoinAsMember(TWorkerThreadGroup* group) {
  if (!group) return false;
  // Joining the group itself or a group below this one would close a cycle.
  for (TWorkerThreadBase* ancestor = group; ancestor; ancestor = ancestor->ThreadGroup()) {
    if (ancestor == this) return false;
  }
  if (IsRunning()) NotifyGroupStart(group);
  group->AddMember(*this);
  return true;
}

void TWorkerThreadBase::LeaveAsMember(TWorkerThreadGroup* group) {
  if (!group) return;
  if (IsRunning()) NotifyGroupEnd(group);
  group->RemoveMember(*this);
}
