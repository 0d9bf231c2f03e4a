#pragma once
// The progress window in which the installation runs: it extracts the product below the install
// folder, registers it with the system and brings the wizard back on its finish page. The run
// is in InstallationRun.cpp, the registration steps in Registration.cpp.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

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

// The status line's text for a file at relativePath below folder: the whole path when it fits
// 45 bytes, otherwise the folder's first 17 bytes (16 when the 17th would split a character),
// "...\" and relativePath whole.
AnsiString ShortenedDisplayPath(const AnsiString& folder, const AnsiString& relativePath);

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

 private:
  void BuildLayout();
  // Starts the run once; records an error that ends it with its kind.
  void RunOnce();
  void RunInstallation();
  // The main executable, first of all; false when the run ends there.
  bool InstallMainExecutable(PayloadReader& reader);
  void ExtractManifest(PayloadReader& reader);
  void Register(std::unique_ptr<PayloadReader> reader);
  bool EnsureInstallFolder(const AnsiString& folder);
  bool EnsureEntryFolder(const AnsiString& relativeFolder);
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

  // A file written below the install folder: counted for the uninstall entry and logged.
  void LoggedFile(const AnsiString& relativePath, std::uint64_t bytes);

  bool runStarted_ = false;
  bool registering_ = false;
  bool runActive_ = false;
  bool cancelled_ = false;
  // The bytes written per install-relative path (a file written twice counts once).
  std::map<AnsiString, std::uint64_t> installedBytes_;
};
