#include <stdexcept>

#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/gui/Form.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"

namespace platform {
namespace {

// ShellExecute's results.
constexpr std::intptr_t kStarted = 42;
constexpr std::intptr_t kFileNotFound = 2;  // SE_ERR_FNF

AnsiString OwnerName(const gui::Form* owner) { return owner ? owner->Name() : AnsiString(); }

bool IsDriveRoot(const AnsiString& path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

// The path as the shell gives it: no final backslash, except after a drive ("D:\").
AnsiString ShellPath(AnsiString path) {
  while (!path.empty() && LastDelimiter(path, "\\") == path.size() - 1 && !IsDriveRoot(path)) {
    path.pop_back();
  }
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return path;
}

bool HasDrive(const AnsiString& path) { return path.size() >= 2 && path[1] == ':'; }

// A document or program the shell can find: an absolute path, or a name in the given folder.
// Anything with a scheme ("http://...", "mailto:...") goes to its handler and is taken as found.
bool ShellFinds(const AnsiString& file, const AnsiString& directory) {
  const std::size_t colon = file.find(':');
  if (colon != AnsiString::npos && colon > 1) return true;
  AnsiString path = file;
  if (!HasDrive(file) && !directory.empty()) {
    path = directory;
    if (LastDelimiter(path, "\\") != path.size() - 1) path += '\\';
    path += file;
  }
  return HasDrive(path) && (FileExists(path) || DirectoryExists(path));
}

}  // namespace

std::optional<AnsiString> BrowseForFolder(const gui::Form* owner, const AnsiString& title,
                                          const AnsiString& initialFolder) {
  sim::FolderBrowserOpening opening;
  opening.owner = OwnerName(owner);
  opening.title = title;
  opening.initialFolder = initialFolder;
  opening.initialFolderShown = !initialFolder.empty() && DirectoryExists(initialFolder);
  const std::optional<AnsiString> answer =
      sim::SimMachine::Current().Shell().OpenFolderBrowser(opening);
  if (!answer) return std::nullopt;
  // Only a folder of the file system can be chosen.
  if (!DirectoryExists(*answer)) {
    throw std::logic_error("the folder browser's scripted choice \"" + sim::Utf8(*answer) +
                           "\" is not a folder of the machine");
  }
  return ShellPath(*answer);
}

std::intptr_t ShellExecute(const gui::Form* owner, const AnsiString& operation,
                           const AnsiString& file, const AnsiString& parameters,
                           const AnsiString& directory, int showCommand) {
  sim::SimMachine::Current().Shell().RecordShellExecute(
      {OwnerName(owner), operation, file, parameters, directory, showCommand});
  return ShellFinds(file, directory) ? kStarted : kFileNotFound;
}

StartedThrough StartAsSignedInUser(const gui::Form* owner, const AnsiString& operation,
                                   const AnsiString& file, const AnsiString& parameters,
                                   const AnsiString& directory, int showCommand) {
  sim::SimMachine& machine = sim::SimMachine::Current();
  if (!machine.Shell().DesktopShellAvailable()) {
    ShellExecute(owner, operation, file, parameters, directory, showCommand);
    return StartedThrough::Directly;
  }
  // The desktop shell's process has no owner window of this program.
  machine.Shell().RecordShellExecute(
      {"", operation, file, parameters, directory, showCommand, true});
  return StartedThrough::DesktopShell;
}

AnsiString CommonAppDataFolder() { return sim::kCommonAppDataFolder; }

}  // namespace platform
