#pragma once
// The progress window in which the installation runs: it extracts the product below the install
// folder, registers it with the system and brings the wizard back on its finish page. The run
// is in InstallationRun.cpp, the registration steps in Registration.cpp.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "install/InstallRecord.h"
#include "platform/AnsiString.h"
#include "platform/gui/Form.h"
#include "setupdata/CommandLine.h"

namespace gui {
class Animate;
class Button;
class Label;
class ProgressBar;
class Shape;
class Timer;
}  // namespace gui

class PayloadReader;
class PayloadSums;
class RunChanges;

// The status line's text for a file at relativePath below folder: the whole path when it fits
// 45 bytes, otherwise the folder's first 17 bytes (16 when the 17th would split a character),
// "...\" and relativePath whole.
AnsiString ShortenedDisplayPath(const AnsiString& folder, const AnsiString& relativePath);

// The message after a run that kept files the user changed: the first five (below folder) and
// how many more.
AnsiString KeptFilesMessage(const AnsiString& folder, const std::vector<AnsiString>& kept);

class TFormsec : public gui::Form {
 public:
  TFormsec(gui::Component* owner, AnsiString name);
  ~TFormsec() override;

  bool RunComplete = false;
  AnsiString TargetName;

  gui::Shape* Shape1 = nullptr;
  gui::Label* lbls = nullptr;
  gui::Animate* ams = nullptr;
  gui::ProgressBar* pgbs = nullptr;
  gui::Button* btncel = nullptr;
  gui::Panel* pnlok = nullptr;
  gui::Label* Label1 = nullptr;
  gui::Label* Label2 = nullptr;
  gui::Button* btnok = nullptr;
  gui::Timer* Timer1 = nullptr;

  void FormCreate();
  void FormActivate();
  void btncelClick();
  void btnokClick();
  void Timer1Timer();
  void FormClose(gui::CloseAction& action);

  // The status line's text for a file at relativePath below the install folder.
  AnsiString DisplayPath(const AnsiString& relativePath) const;
  // The run without a window: what a silent installation does. The exit code of its first
  // failure, Installed when it completed.
  SetupExitCode RunSilently();
  // True while the run is in progress (it services messages at its fixed points meanwhile).
  bool RunActive() const { return runActive_; }
  // The files of an earlier installation the user changed since, which the run kept (relative
  // to the install folder).
  const std::vector<AnsiString>& KeptFiles() const { return keptFiles_; }

 private:
  void BuildLayout();
  // Starts the run once; records an error that ends it with its kind.
  void RunOnce();
  void RunInstallation();
  // Reads the earlier installation's record and the payload's sums, and starts the journal.
  void PrepareChanges();
  // Undoes what the run changed, once, with a status text meanwhile.
  void Undo();
  // The record of the completed run, written into the install folder.
  void WriteRecord();
  // Whether the earlier installation's file at relativePath was changed by the user since and
  // is kept instead of the entry (name, type).
  bool KeepsUserChange(const PayloadReader& reader, const AnsiString& name,
                       const AnsiString& relativePath);
  void ShowKeptFiles();
  // The main executable, first of all.
  void InstallMainExecutable(PayloadReader& reader);
  void ExtractManifest(PayloadReader& reader);
  void Register(std::unique_ptr<PayloadReader> reader);
  // Make the folder when it is missing; a folder that cannot be made ends the run.
  void EnsureInstallFolder(const AnsiString& folder);
  void EnsureEntryFolder(const AnsiString& relativeFolder);
  void ExtractEntry(PayloadReader& reader, const AnsiString& name, const AnsiString& type,
                    const AnsiString& relativePath, std::size_t lineIndex, std::size_t lineCount);
  // Services the pending messages; unwinds the run when the user has confirmed Cancel meanwhile.
  void ServiceMessages();
  void SetStatus(const AnsiString& text);
  void SetProgress(int position);
  void Pause();

  // The registration steps, in the order the run takes them.
  void WriteUninstallEntry(std::unique_ptr<PayloadReader> reader);
  void CreateShortcut();
  void CreateProgramGroup();
  void RegisterProduct(const AnsiString& extension, const AnsiString& keyPath, int iconIndex,
                       const AnsiString& targetPath, const AnsiString& caption);

  // A file written below the install folder: counted for the uninstall entry, logged and
  // recorded (the entry (name, type) gives its sum).
  void LoggedFile(const AnsiString& relativePath, std::uint64_t bytes, const AnsiString& name,
                  const AnsiString& type);
  // Writes the open entry of reader to relativePath below the install folder, an earlier file
  // there moved aside first.
  void WriteEntry(const PayloadReader& reader, const AnsiString& relativePath,
                  const AnsiString& name, const AnsiString& type);

  bool runStarted_ = false;
  bool registering_ = false;
  // The uninstaller was copied into its protected folder: the entry and the group start it.
  bool protectedUninstaller_ = false;
  bool runActive_ = false;
  bool cancelled_ = false;
  bool undone_ = false;
  std::unique_ptr<RunChanges> changes_;
  std::unique_ptr<PayloadSums> sums_;
  std::optional<InstallRecord> earlierRecord_;
  // Whether a product of an earlier installation was registered before the run.
  bool earlierInstallation_ = false;
  InstallRecord record_;
  std::vector<AnsiString> keptFiles_;
  // The bytes written per install-relative path (a file written twice counts once).
  std::map<AnsiString, std::uint64_t> installedBytes_;
};
