// The installation run: the main executable, then every manifest entry below the install
// folder, then the registration steps. It runs on the user-interface thread from the window's
// first activation and services messages only at fixed points, so that the window repaints and
// Cancel can be used between steps.
#include <functional>
#include <string>

#include "install/ProgramGroup.h"
#include "install/Rollback.h"
#include "install/RunChanges.h"
#include "platform/Registry.h"
#include "setupdata/PayloadSums.h"
#include "setupdata/Sha256.h"

#include "host/Unit_main.h"
#include "install/Unit_sec.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ScopeExit.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/DdeClientConv.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/Timer.h"
#include "setupdata/Manifest.h"
#include "setupdata/PayloadReader.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kMainExecutableRunning = "所要安装的程序正在运行中,请退出后再安装!";
constexpr std::size_t kDisplayPathLimit = 45;
constexpr std::size_t kShortenedFolderBytes = 17;
constexpr std::uint32_t kPauseMilliseconds = 50;
// The manifest loop fills the bar from 5 to 87, where the registration steps take over.
constexpr int kFirstEntryPosition = 5;
constexpr int kEntriesSpan = 82;

constexpr const char* kUndoingStatus = "正在撤销安装所做的更改...";
constexpr const char* kUndoneStatus = "安装未完成，所做的更改已撤销";
// The entries the setup itself opens (the manifest, the configuration, the licence): always
// replaced, like programs.
constexpr const char* kSetupOwnEntries[] = {"FileTxt5", "FileTxt7", "FileTxt4"};
// Where an earlier installation registered the product.
constexpr const char* kProductPathKey = "Software\\KORVL\\Shell\\PathName";

// The user confirmed Cancel at a servicing point: the run unwinds and does nothing more.
struct RunCancelled {};

// A failure that ends the run: recorded with its exit code, then, once the run is undone,
// reported to the user by report.
struct RunFailed {
  SetupExitCode code;
  AnsiString why;
  std::function<void()> report;
};

// Where text may be cut at or before limit bytes without splitting a CP936 character.
std::size_t WholeCharacterCut(const AnsiString& text, std::size_t limit) {
  std::size_t at = 0;
  while (at < text.size() && at < limit) {
    const std::size_t length = IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
    if (at + length > limit) break;
    at += length;
  }
  return at;
}

// The failure of a folder that cannot be made: the Error dialog names it.
RunFailed FolderFailure(SetupExitCode code, const AnsiString& failure) {
  return RunFailed{code, failure, [failure] {
                     gui::Application::Instance().MessageDlg(failure, gui::DialogType::Error,
                                                             gui::dlg::kOk);
                   }};
}

bool IsSetupOwnEntry(const AnsiString& name) {
  for (const char* own : kSetupOwnEntries) {
    if (SameTextAscii(name, own)) return true;
  }
  return false;
}

bool EarlierProductRegistered() {
  platform::Registry registry;
  return registry.OpenKey(kProductPathKey, false) && registry.ReadRaw("Path").has_value();
}

}  // namespace

AnsiString ShortenedDisplayPath(const AnsiString& folder, const AnsiString& relativePath) {
  const AnsiString whole = folder + relativePath;
  if (whole.size() <= kDisplayPathLimit) return whole;
  return folder.substr(0, WholeCharacterCut(folder, kShortenedFolderBytes)) + "...\\" +
         relativePath;
}

AnsiString TFormsec::DisplayPath(const AnsiString& relativePath) const {
  return ShortenedDisplayPath(Formain->InstallFolder, relativePath);
}

void TFormsec::FormActivate() {
  // The window is activated again when the wizard comes back over it: the run happens once.
  if (!runStarted_) RunOnce();
}

SetupExitCode TFormsec::RunSilently() {
  RunOnce();
  if (!RunComplete && Formain->ExitCode == SetupExitCode::Installed) {
    Formain->Fail(SetupExitCode::WriteFailed, "the installation did not complete");
  }
  return Formain->ExitCode;
}

void TFormsec::RunOnce() {
  runStarted_ = true;
  TargetName = Formain->ReadSetupValue("Run", "FileName");
  runActive_ = true;
  const auto ended = platform::MakeScopeExit([this] { runActive_ = false; });
  try {
    PrepareChanges();
    RunInstallation();
  } catch (const RunCancelled&) {
    // Stopped by a confirmed Cancel: undone, then the setup ends.
    Undo();
    Formain->Close();
  } catch (const RunFailed& failure) {
    Formain->Fail(failure.code, failure.why);
    Undo();
    failure.report();
  } catch (const std::exception& error) {
    Formain->Fail(registering_ ? SetupExitCode::RegistrationFailed : SetupExitCode::WriteFailed,
                  error.what());
    Undo();
    // On screen the error goes on to the window's error report.
    if (!Formain->Silent()) throw;
  }
  if (!RunComplete) Undo();
}

void TFormsec::PrepareChanges() {
  const AnsiString& folder = Formain->InstallFolder;
  earlierInstallation_ = EarlierProductRegistered();
  AnsiString why;
  earlierRecord_ = ReadInstallRecord(folder, &why);
  Formain->LogLine(earlierRecord_ ? "record: an earlier installation's record was read"
                                  : "record: none used (" + why + ")");
  if (auto sums = PayloadSums::Load()) sums_ = std::make_unique<PayloadSums>(std::move(*sums));
  record_ = InstallRecord{};
  record_.version = Formain->ReadSetupValue("Form", "Serial");
  changes_ =
      std::make_unique<RunChanges>(folder, [](const AnsiString& line) { Formain->LogLine(line); });
  changes_->BeginJournal();
}

void TFormsec::Undo() {
  if (!changes_ || undone_) return;
  undone_ = true;
  btncel->SetEnabled(false);
  SetStatus(kUndoingStatus);
  lbls->Show();
  Formain->LogLine("rollback: undoing the run's changes");
  RollbackServices services;
  services.log = [](const AnsiString& line) { Formain->LogLine(line); };
  services.removeProgramGroup = [](const AnsiString& caption) {
    RemoveProgramGroup(*FormSchedule->DdeClientConv1, caption,
                       [](const AnsiString& line) { Formain->LogLine(line); });
  };
  const bool complete = changes_->RollBack(services);
  Formain->LogLine(complete ? "rollback: complete" : "rollback: incomplete, the journal stays");
  SetStatus(kUndoneStatus);
  btncel->SetEnabled(true);
}

void TFormsec::RunInstallation() {
  ServiceMessages();
  SetProgress(1);
  auto reader = std::make_unique<PayloadReader>("FileExe", "exename");
  InstallMainExecutable(*reader);
  ExtractManifest(*reader);
  Register(std::move(reader));
  WriteRecord();
  changes_->Commit();
  RunComplete = true;
  Timer1->SetEnabled(true);
}

void TFormsec::InstallMainExecutable(PayloadReader& reader) {
  SetStatus(DisplayPath(TargetName));
  EnsureInstallFolder(Formain->InstallFolder);
  const AnsiString target = Formain->InstallFolder + TargetName;
  try {
    WriteEntry(reader, TargetName, "FileExe", "exename");
  } catch (const std::exception& error) {
    // A program that is running keeps its file: the plain message says so. Any other reason
    // is the system's own.
    const AnsiString text = platform::IsFileInUse(target) ? AnsiString(kMainExecutableRunning)
                                                          : AnsiString(error.what());
    throw RunFailed{SetupExitCode::WriteFailed, error.what(), [text] {
                      gui::Application::Instance().ShowMessage(text);
                      if (FormSchedule) FormSchedule->InstallStarted = false;
                      Formain->Close();
                    }};
  }
  SetProgress(kFirstEntryPosition);
  Pause();
}

void TFormsec::ExtractManifest(PayloadReader& reader) {
  const std::vector<AnsiString> lines =
      SplitLines(platform::ReadWholeFile(Formain->StagingFolder + "orvlSetup.log"));
  ServiceMessages();
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const ManifestLine entry = SplitManifestLine(lines[index]);
    EnsureEntryFolder(ManifestFolderPart(entry.path));
    ExtractEntry(reader, entry.name, entry.type, entry.path, index, lines.size());
  }
}

void TFormsec::Register(std::unique_ptr<PayloadReader> reader) {
  registering_ = true;
  SetStatus("创建反安装程序...");
  WriteUninstallEntry(std::move(reader));
  Formain->LogLine("done: uninstall entry and Uninstall.exe");
  SetProgress(87);
  Pause();
  ServiceMessages();

  SetStatus("创建桌面快捷方式");
  CreateShortcut();
  Formain->LogLine("done: desktop shortcut");
  SetProgress(90);
  Pause();

  SetStatus("创建程序群组...");
  CreateProgramGroup();
  Formain->LogLine("done: program group");
  SetProgress(95);
  Pause();

  SetStatus("写入注册信息");
  ServiceMessages();
  RegisterProduct(".Orv", "Software\\KORVL", 0, Formain->InstallFolder + TargetName,
                  FormSchedule->Caption());
  Formain->LogLine("done: document type and product keys");
  SetProgress(100);
  Pause();
  SetStatus("");
  lbls->Hide();
  ServiceMessages();
}

void TFormsec::EnsureInstallFolder(const AnsiString& folder) {
  if (platform::DirectoryExists(folder)) return;
  SetStatus("安装主程序文件");
  if (changes_->MakeFolder(folder)) return;
  throw FolderFailure(SetupExitCode::FolderNotCreated, "创建主文件夹\\" + folder + " 失败");
}

void TFormsec::EnsureEntryFolder(const AnsiString& relativeFolder) {
  ServiceMessages();
  const AnsiString folder = Formain->InstallFolder + relativeFolder;
  if (platform::DirectoryExists(folder)) return;
  SetStatus("创建文件夹\\" + relativeFolder);
  if (changes_->MakeFolder(folder)) return;
  throw FolderFailure(SetupExitCode::WriteFailed, "创建文件夹\\" + relativeFolder + " 失败");
}

void TFormsec::ExtractEntry(PayloadReader& reader, const AnsiString& name, const AnsiString& type,
                            const AnsiString& relativePath, std::size_t lineIndex,
                            std::size_t lineCount) {
  SetStatus(DisplayPath(relativePath));
  ServiceMessages();
  reader.Open(name, type);
  if (KeepsUserChange(reader, name, relativePath)) {
    keptFiles_.push_back(relativePath);
    Formain->LogLine("kept (changed by the user): " + Formain->InstallFolder + relativePath);
  } else {
    WriteEntry(reader, relativePath, name, type);
  }
  // Spread over the bar in proportion to the line, so it fills steadily and never overflows.
  SetProgress(kFirstEntryPosition + static_cast<int>((lineIndex + 1) * kEntriesSpan / lineCount));
  Pause();
}

void TFormsec::WriteEntry(const PayloadReader& reader, const AnsiString& relativePath,
                          const AnsiString& name, const AnsiString& type) {
  const AnsiString target = Formain->InstallFolder + relativePath;
  changes_->BeforeWrite(target);
  reader.SaveToFile(target);
  LoggedFile(relativePath, reader.Size(), name, type);
}

bool TFormsec::KeepsUserChange(const PayloadReader& reader, const AnsiString& name,
                               const AnsiString& relativePath) {
  if (!earlierRecord_ || IsSetupOwnEntry(name) || reader.IsProgram()) return false;
  const RecordedFile* recorded = earlierRecord_->FindFile(relativePath);
  if (!recorded) return false;
  const AnsiString target = Formain->InstallFolder + relativePath;
  if (!platform::FileExists(target) || StillAsRecorded(target, *recorded)) return false;
  // Still recorded as installed, so the next setup keeps it too.
  record_.files.push_back(*recorded);
  return true;
}

void TFormsec::ServiceMessages() {
  gui::Application::Instance().ProcessMessages();
  if (cancelled_) throw RunCancelled{};
}

void TFormsec::SetStatus(const AnsiString& text) { lbls->SetCaption(text); }

void TFormsec::LoggedFile(const AnsiString& relativePath, std::uint64_t bytes,
                          const AnsiString& name, const AnsiString& type) {
  installedBytes_[relativePath] = bytes;
  Formain->LogLine(Format("file %s%s (%llu bytes)", Formain->InstallFolder.c_str(),
                          relativePath.c_str(), static_cast<unsigned long long>(bytes)));
  RecordedFile file;
  file.path = relativePath;
  file.size = bytes;
  if (const auto stamp = platform::StampOf(Formain->InstallFolder + relativePath)) {
    file.writeTime = stamp->writeTime;
  }
  if (sums_) {
    if (const EntrySum* sum = sums_->Find(name, type)) file.sha256 = sum->sha256;
  }
  const RecordedFile* earlier = earlierRecord_ ? earlierRecord_->FindFile(relativePath) : nullptr;
  file.replaced =
      earlier ? earlier->replaced : changes_->Replaced(Formain->InstallFolder + relativePath);
  for (RecordedFile& recorded : record_.files) {
    if (SameTextAscii(recorded.path, relativePath)) {
      recorded = file;
      return;
    }
  }
  record_.files.push_back(file);
}

void TFormsec::SetProgress(int position) { pgbs->SetPosition(position); }

// The pauses let the user follow the status line and the bar; a silent run shows neither.
void TFormsec::Pause() {
  if (!Formain->Silent()) platform::Sleep(kPauseMilliseconds);
}
