#include "thread/WorkerThreadGroup.h"

#include <algorithm>

#include "thread/WorkerThread.h"

using Guard = std::lock_guard<std::recursive_mutex>;

TWorkerThreadGroup::TWorkerThreadGroup(gui::Component* owner, AnsiString name)
    : TWorkerThreadBase(owner, std::move(name)) {}

TWorkerThreadGroup::~TWorkerThreadGroup() {
  for (TWorkerThreadBase* member : Members()) {
    if (member->ThreadGroup() == this) member->SetThreadGroup(nullptr);
  }
  {
    Guard lock(Lock());
    members_.clear();
  }
  SetThreadGroup(nullptr);
}

int TWorkerThreadGroup::RunningCount() {
  Guard lock(Lock());
  return runningCount_;
}

bool TWorkerThreadGroup::IsRunning() { return RunningCount() > 0; }

std::vector<TWorkerThreadBase*> TWorkerThreadGroup::Members() {
  Guard lock(Lock());
  return members_;
}

void TWorkerThreadGroup::AddMember(TWorkerThreadBase& member) {
  Guard lock(Lock());
  members_.push_back(&member);
}

void TWorkerThreadGroup::RemoveMember(TWorkerThreadBase& member) {
  Guard lock(Lock());
  members_.erase(std::remove(members_.begin(), members_.end(), &member), members_.end());
}

bool TWorkerThreadGroup::HasMember(TWorkerThreadBase* member) {
  Guard lock(Lock());
  return std::find(members_.begin(), members_.end(), member) != members_.end();
}

// Walks a snapshot of the members, skipping any that left (or were destroyed) meanwhile, so a
// notice handler may change the membership.
template <class Operation>
void TWorkerThreadGroup::ForEachMember(Operation operation) {
  for (TWorkerThreadBase* member : Members()) {
    if (HasMember(member)) operation(*member);
  }
}

void TWorkerThreadGroup::NotifyGroupStart(TWorkerThreadGroup* group) {
  if (!group) return;
  ForEachMember([group](TWorkerThreadBase& member) {
    if (member.IsRunning()) member.NotifyGroupStart(group);
  });
}

void TWorkerThreadGroup::NotifyGroupEnd(TWorkerThreadGroup* group) {
  if (!group) return;
  ForEachMember([group](TWorkerThreadBase& member) {
    if (member.IsRunning()) member.NotifyGroupEnd(group);
  });
}

bool TWorkerThreadGroup::JoinGroup(TWorkerThreadGroup* group) { return JoinAsMember(group); }

void TWorkerThreadGroup::LeaveGroup(TWorkerThreadGroup* group) { LeaveAsMember(group); }

void TWorkerThreadGroup::Start() {
  ForEachMember([](TWorkerThreadBase& member) { member.Start(); });
}

void TWorkerThreadGroup::Start(void* Data) {
  ForEachMember([Data](TWorkerThreadBase& member) { member.Start(Data); });
}

void TWorkerThreadGroup::Stop() {
  ForEachMember([](TWorkerThreadBase& member) { member.Stop(); });
}

void TWorkerThreadGroup::Suspend() {
  ForEachMember([](TWorkerThreadBase& member) { member.Suspend(); });
}

void TWorkerThreadGroup::Resume() {
  ForEachMember([](TWorkerThreadBase& member) { member.Resume(); });
}

void TWorkerThreadGroup::MemberStarted(TWorkerThread& member) {
  TWorkerExecuteThread* thread = member.NoticeThread();
  Guard lock(Lock());
  const int previous = runningCount_++;
  if (OnThreadStart) OnThreadStart(&member, thread, thread->Data());
  if (TWorkerThreadGroup* parent = ThreadGroup()) parent->MemberStarted(member);
  if (previous == 0 && OnStart) OnStart(&member, thread, thread->Data());
}

void TWorkerThreadGroup::MemberEnded(TWorkerThread& member) {
  TWorkerExecuteThread* thread = member.NoticeThread();
  Guard lock(Lock());
  if (runningCount_ > 0) --runningCount_;
  if (OnThreadTerminate) OnThreadTerminate(&member, thread, thread->Data());
  if (TWorkerThreadGroup* parent = ThreadGroup()) parent->MemberEnded(member);
  if (runningCount_ == 0 && OnTerminate) OnTerminate(&member, thread, thread->Data());
}

void TWorkerThreadGroup::MemberUpdated(TWorkerThread& member) {
  TWorkerExecuteThread* thread = member.NoticeThread();
  Guard lock(Lock());
  if (OnThreadUpdate) OnThreadUpdate(&member, thread, thread->Data(), thread->Percent());
  if (!OnUpdate) return;
  // A running direct member of higher rank speaks for the group.
  for (TWorkerThreadBase* other : members_) {
    if (other->IsRunning() && other->UpdatePriority() > member.UpdatePriority()) return;
  }
  OnUpdate(&member, thread, thread->Data(), thread->Percent());
}
