#pragma once
// The shell of the simulated machine: the folder browser's scripted answers and its openings,
// the ShellExecute log, the desktop shell, the common desktop folder, the shell links saved and
// the shell's association notices.
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

class SimFileSystem;

// One opening of the folder browser.
struct FolderBrowserOpening {
  AnsiString owner;  // the owner form's name, "" without one
  AnsiString title;
  AnsiString initialFolder;         // as asked for
  bool initialFolderShown = false;  // pre-selected: it exists
};

// One shell link saved through IPersistFile::Save: the link's file, its target and working folder.
struct SavedShellLink {
  AnsiString file;
  AnsiString target;
  AnsiString workingFolder;
};

// One ShellExecute call.
struct ShellExecuteCall {
  AnsiString owner;  // the owner form's name, "" without one
  AnsiString operation;
  AnsiString file;
  AnsiString parameters;
  AnsiString directory;
  int showCommand = 0;
  bool throughDesktopShell = false;  // started by the desktop shell's process, as its user
};

class SimShell {
 public:
  // files: the drives link files are saved on.
  explicit SimShell(const SimFileSystem& files) : files_(files) {}

  // ---- The folder browser and ShellExecute
  // The answers of the next folder-browser openings, in order: a chosen folder (it must exist
  // when the browser opens) or a cancel.
  void ScriptFolderChoice(const AnsiString& folder);
  void ScriptFolderBrowserCancel();
  int PendingFolderBrowserAnswers() const;
  // For the sim's browser: records the opening and takes the next answer; std::logic_error when
  // none is scripted, as a test that opens the browser unplanned must fail.
  std::optional<AnsiString> OpenFolderBrowser(const FolderBrowserOpening& opening);
  std::vector<FolderBrowserOpening> FolderBrowserOpenings() const;
  void RecordShellExecute(const ShellExecuteCall& call);
  std::vector<ShellExecuteCall> ShellExecuteLog() const;
  // Whether the desktop shell offers its automation object (a desktop shell runs by default).
  void SetDesktopShellAvailable(bool available);
  bool DesktopShellAvailable() const;

  // ---- Shell links, the common desktop folder and the association notices
  // The all-users desktop folder: "C:\Users\Public\Desktop", made with the machine, unless a
  // test sets another (which is not created); "" stands for a system that cannot name it.
  AnsiString CommonDesktopFolder() const;
  void SetCommonDesktopFolder(const AnsiString& path);
  // Makes every following shell link creation fail with "Class not registered", as on a system
  // without the ShellLink class.
  void SetShellLinkRefused(bool refused);
  bool ShellLinkRefused() const;
  // For the sim's shell link: writes the link's file (replacing one) below the drive mapping and
  // records the link. False, and nothing recorded, when the file's folder does not exist, the
  // file cannot be written (a folder of that name, a locked file) or its drive is not there.
  bool SaveShellLink(const SavedShellLink& link);
  // The links saved, in order of saving (a file saved twice appears twice).
  std::vector<SavedShellLink> SavedShellLinks() const;
  // SHChangeNotify(SHCNE_ASSOCCHANGED): how many times the program said so.
  void RecordAssociationNotice();
  int AssociationNotices() const;

 private:
  const SimFileSystem& files_;
  mutable std::mutex mutex_;
  std::deque<std::optional<AnsiString>> folderBrowserAnswers_;
  std::vector<FolderBrowserOpening> folderBrowserOpenings_;
  std::vector<ShellExecuteCall> shellExecuteLog_;
  bool desktopShellAvailable_ = true;
  AnsiString commonDesktopFolder_ = "C:\\Users\\Public\\Desktop";
  bool shellLinkRefused_ = false;
  std::vector<SavedShellLink> savedShellLinks_;
  int associationNotices_ = 0;
};

}  // namespace sim
