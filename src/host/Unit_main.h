#pragma once
// The host window: the full-screen backdrop that owns the setup state, stages the setup files,
// deals with a running Korvello, hands over to the wizard and removes the staged files at the end.
#include <memory>

#include "install/InstallLog.h"
#include "platform/AnsiString.h"
#include "platform/gui/Form.h"
#include "setupdata/CommandLine.h"
#include "thread/WorkerThread.h"

namespace gui {
class Label;
class Panel;
}  // namespace gui

// The application title, kept to recognise the setup's own windows.
extern const AnsiString SetupTitle;

class TFormain : public gui::Form {
 public:
  TFormain(gui::Component* owner, AnsiString name);
  ~TFormain() override;

  gui::Panel* Panel_Title = nullptr;
  gui::Panel* Panel1 = nullptr;
  gui::Label* Label1 = nullptr;
  gui::Label* Label2 = nullptr;
  TWorkerThread* Thread1 = nullptr;

  // Setup state.
  bool ContinueSetup = true;
  AnsiString StagingFolder;
  AnsiString InstallFolder;
  AnsiString VersionSerial;
  // The command line's switches, set before the window is created; the exit code a silent run
  // ends with (its first failure); the log of /LOG=.
  SetupSwitches Switches;
  SetupExitCode ExitCode = SetupExitCode::Installed;
  std::unique_ptr<InstallLog> Log;

  bool Silent() const { return Switches.silent; }
  // A line of the log, when there is one.
  void LogLine(const AnsiString& text);
  // Records a failure of the kind of code (the first one counts) and logs why.
  void Fail(SetupExitCode code, const AnsiString& why);

  void FormCreate();
  void FormShow();
  void FormPaint();
  void Panel1Resize();
  void FormClose(gui::CloseAction& action);
  void Thread1Execute(gui::Component* Sender, TWorkerExecuteThread* Thread, void*& Data);
  void ShowChedule(gui::Component* Sender);
  // Shows the progress window modally and releases it when its display ends; after a normal
  // end, closes this window.
  void showsec();

  // One value of the staged setup configuration; empty when the file, section or key is absent.
  AnsiString ReadSetupValue(const AnsiString& section, const AnsiString& key) const;

  AnsiString GetStagingFolder();
  bool IsProductRunning();
  void CloseRunningProduct(const AnsiString& windowClass);

 private:
  void BuildLayout();
  void StageSetupFiles();
  // Whether StagingFolder is this run's own folder, made and not yet removed; why it could not
  // be made otherwise.
  bool stagingFolderMade_ = false;
  AnsiString stagingFailure_;
};

extern TFormain* Formain;
