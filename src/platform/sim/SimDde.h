#pragma once
// DDE on the simulated machine: whether Program Manager runs, the conversations programs held
// with it and the commands sent in them, its groups as those commands made them, and the
// programs started to serve a conversation.
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/sim/SimProgramManager.h"

namespace sim {

class SimFileSystem;

class SimDde {
 public:
  // files: the drives Program Manager looks for an item's file on.
  explicit SimDde(const SimFileSystem& files) : files_(files) {}

  // Program Manager runs unless a test says otherwise.
  void SetProgramManager(ProgramManagerState state);
  ProgramManagerState GetProgramManager() const;
  // Every conversation opened with Program Manager, in order, with the commands sent in it.
  std::vector<DdeConversationRecord> Conversations() const;
  // Program Manager's groups (names as first given, in order of making), and a group's item
  // titles (nothing when there is no such group), as its commands made them.
  std::vector<AnsiString> ProgramGroups() const;
  std::optional<std::vector<AnsiString>> ProgramGroupItems(const AnsiString& group) const;
  // The command lines the program asked to start, in order.
  std::vector<AnsiString> StartedPrograms() const;

  // For the sim's DDE: DdeConnect (service and topic "ProgMan", without regard to case, while
  // Program Manager runs); the conversation's number, or nothing when nobody answers.
  std::optional<std::size_t> Connect(const AnsiString& service, const AnsiString& topic);
  // Records the command and has Program Manager carry it out; its answer, or nothing when it
  // gives none in time (a hung Program Manager).
  std::optional<bool> Execute(std::size_t conversation, const AnsiString& command, bool waited);
  void Disconnect(std::size_t conversation);
  // For the sim's program start: records the command line; only Program Manager can be started
  // ("progman" as the first word, with or without ".exe"), and only when it is not missing.
  bool StartProgram(const AnsiString& commandLine);
  // Program Manager itself, for a test to set how it answers.
  SimProgramManager& ProgramManager() { return programManager_; }

 private:
  const SimFileSystem& files_;
  mutable std::mutex mutex_;
  ProgramManagerState programManagerState_ = ProgramManagerState::Running;
  SimProgramManager programManager_;
  std::vector<DdeConversationRecord> conversations_;
  std::vector<AnsiString> startedPrograms_;
};

}  // namespace sim
