#include "platform/sim/SimShell.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/Utf8.h"

namespace fs = std::filesystem;

namespace sim {

// ---------------------------------------------------------------- folder browser, ShellExecute

void SimShell::ScriptFolderChoice(const AnsiString& folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserAnswers_.emplace_back(folder);
}

void SimShell::ScriptFolderBrowserCancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserAnswers_.emplace_back(std::nullopt);
}

int SimShell::PendingFolderBrowserAnswers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(folderBrowserAnswers_.size());
}

std::optional<AnsiString> SimShell::OpenFolderBrowser(const FolderBrowserOpening& opening) {
  std::lock_guard<std::mutex> lock(mutex_);
  folderBrowserOpenings_.push_back(opening);
  if (folderBrowserAnswers_.empty()) {
    throw std::logic_error("the folder browser \"" + Utf8(opening.title) +
                           "\" opened, but the test scripted no answer for it "
                           "(ScriptFolderChoice or ScriptFolderBrowserCancel)");
  }
  std::optional<AnsiString> answer = std::move(folderBrowserAnswers_.front());
  folderBrowserAnswers_.pop_front();
  return answer;
}

std::vector<FolderBrowserOpening> SimShell::FolderBrowserOpenings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return folderBrowserOpenings_;
}

void SimShell::RecordShellExecute(const ShellExecuteCall& call) {
  std::lock_guard<std::mutex> lock(mutex_);
  shellExecuteLog_.push_back(call);
}

std::vector<ShellExecuteCall> SimShell::ShellExecuteLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shellExecuteLog_;
}

void SimShell::SetDesktopShellAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mutex_);
  desktopShellAvailable_ = available;
}

bool SimShell::DesktopShellAvailable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return desktopShellAvailable_;
}

// ---------------------------------------------------------------- shell links and notices

AnsiString SimShell::CommonDesktopFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commonDesktopFolder_;
}

void SimShell::SetCommonDesktopFolder(const AnsiString& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  commonDesktopFolder_ = path;
}

void SimShell::SetShellLinkRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  shellLinkRefused_ = refused;
}

bool SimShell::ShellLinkRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shellLinkRefused_;
}

bool SimShell::SaveShellLink(const SavedShellLink& link) {
  const fs::path host = files_.HostPath(link.file);
  std::error_code error;
  // The folder must be there; a folder of the file's name (a drive root among them) is no file.
  if (host.empty() || !fs::is_directory(host.parent_path(), error) ||
      fs::is_directory(host, error)) {
    return false;
  }
  if (files_.IsLocked(host)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  // The simulated link's file: readable text naming what the link holds.
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << "[ShellLink]\r\nTarget=" << link.target << "\r\nWorkingFolder=" << link.workingFolder
      << "\r\n";
  out.close();
  if (!out) return false;
  savedShellLinks_.push_back(link);
  return true;
}

std::vector<SavedShellLink> SimShell::SavedShellLinks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return savedShellLinks_;
}

void SimShell::RecordAssociationNotice() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++associationNotices_;
}

int SimShell::AssociationNotices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return associationNotices_;
}

}  // namespace sim
