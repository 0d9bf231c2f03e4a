#include "platform/sim/SimThreads.h"

#include <algorithm>

namespace sim {
namespace {

SimThreadInfo InfoOf(const SimThreadRecord& record) {
  SimThreadInfo info;
  info.id = record.id;
  info.priority = record.priority;
  info.suspendCount = record.suspendCount;
  info.started = record.started;
  info.finished = record.finished;
  return info;
}

}  // namespace

// ---------------------------------------------------------------- threads

std::shared_ptr<SimThreadRecord> SimThreads::Register(std::uint32_t id) {
  auto record = std::make_shared<SimThreadRecord>(id);
  std::lock_guard<std::mutex> lock(mutex_);
  threads_.push_back(record);
  return record;
}

int SimThreads::RunningCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(threads_.begin(), threads_.end(),
                                        [](const auto& t) { return t->started && !t->finished; }));
}

std::vector<SimThreadInfo> SimThreads::List() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SimThreadInfo> infos;
  for (const auto& record : threads_) infos.push_back(InfoOf(*record));
  return infos;
}

std::optional<SimThreadInfo> SimThreads::Thread(std::uint32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& record : threads_) {
    if (record->id == id) return InfoOf(*record);
  }
  return std::nullopt;
}

void SimThreads::SetCreationFailure(const AnsiString& reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  creationFailure_ = reason;
}

AnsiString SimThreads::CreationFailure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return creationFailure_;
}

void SimThreads::SetPriorityChangeRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  priorityChangeRefused_ = refused;
}

bool SimThreads::PriorityChangeRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return priorityChangeRefused_;
}

// ---------------------------------------------------------------- COM apartments

bool SimThreads::OpenComApartment(std::uint32_t threadId) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (comRefused_) return false;
  ++comApartments_[threadId];
  return true;
}

void SimThreads::CloseComApartment(std::uint32_t threadId) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = comApartments_.find(threadId);
  if (found == comApartments_.end()) return;
  if (--found->second == 0) comApartments_.erase(found);
}

bool SimThreads::ComInitialized(std::uint32_t threadId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return comApartments_.count(threadId) != 0;
}

void SimThreads::SetComRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  comRefused_ = refused;
}

}  // namespace sim
