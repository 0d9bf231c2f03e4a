#include "platform/sim/SimModule.h"

namespace sim {

void SimModule::SetCommandLine(const AnsiString& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  commandLine_ = line;
}

AnsiString SimModule::CommandLine() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commandLine_;
}

void SimModule::AddResource(const AnsiString& name, const AnsiString& type, std::string bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  resources_.push_back({name, type, std::make_unique<std::string>(std::move(bytes))});
}

const std::string* SimModule::FindResource(const AnsiString& name, const AnsiString& type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& resource : resources_) {
    if (SameTextAscii(resource.name, name) && SameTextAscii(resource.type, type)) {
      return resource.bytes.get();
    }
  }
  return nullptr;
}

}  // namespace sim
