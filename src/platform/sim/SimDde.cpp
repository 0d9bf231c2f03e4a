#include "platform/sim/SimDde.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/sim/SimFileSystem.h"

namespace fs = std::filesystem;

namespace sim {

void SimDde::SetProgramManager(ProgramManagerState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  programManagerState_ = state;
}

ProgramManagerState SimDde::GetProgramManager() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManagerState_;
}

std::vector<DdeConversationRecord> SimDde::Conversations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return conversations_;
}

std::vector<AnsiString> SimDde::ProgramGroups() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManager_.Groups();
}

std::optional<std::vector<AnsiString>> SimDde::ProgramGroupItems(const AnsiString& group) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programManager_.Items(group);
}

std::vector<AnsiString> SimDde::StartedPrograms() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return startedPrograms_;
}

std::optional<std::size_t> SimDde::Connect(const AnsiString& service, const AnsiString& topic) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool answers = (programManagerState_ == ProgramManagerState::Running ||
                        programManagerState_ == ProgramManagerState::Hung) &&
                       SameTextAscii(service, "ProgMan") && SameTextAscii(topic, "ProgMan");
  if (!answers) return std::nullopt;
  DdeConversationRecord record;
  record.service = service;
  record.topic = topic;
  conversations_.push_back(record);
  return conversations_.size() - 1;
}

std::optional<bool> SimDde::Execute(std::size_t conversation, const AnsiString& command,
                                    bool waited) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (conversation >= conversations_.size() || !conversations_[conversation].open) {
    throw std::logic_error("a DDE command was sent in a conversation that is not open");
  }
  if (programManagerState_ == ProgramManagerState::Hung) {
    conversations_[conversation].executions.push_back({command, waited, false});
    return std::nullopt;
  }
  const bool carriedOut = programManager_.Execute(command, [this](const AnsiString& path) {
    const fs::path host = files_.HostPath(path);
    std::error_code error;
    return !host.empty() && fs::is_regular_file(host, error);
  });
  conversations_[conversation].executions.push_back({command, waited, carriedOut});
  return carriedOut;
}

void SimDde::Disconnect(std::size_t conversation) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (conversation < conversations_.size()) conversations_[conversation].open = false;
}

bool SimDde::StartProgram(const AnsiString& commandLine) {
  std::lock_guard<std::mutex> lock(mutex_);
  startedPrograms_.push_back(commandLine);
  const AnsiString program = commandLine.substr(0, commandLine.find(' '));
  const bool programManager =
      SameTextAscii(program, "progman") || SameTextAscii(program, "progman.exe");
  if (!programManager || programManagerState_ == ProgramManagerState::Missing) return false;
  programManagerState_ = ProgramManagerState::Running;
  return true;
}

}  // namespace sim
