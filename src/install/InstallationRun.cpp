// The installation run: the main executable, then every manifest entry below the install
// folder, then the registration steps. It runs on the user-interface thread from the window's
// first activation and services messages only at fixed points, so that the window repaints and
// Cancel can be used between steps.
#include <string>

#include "host/Unit_main.h"
#include "install/Unit_sec.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ScopeExit.h"
#include "platform/gui/Application.h"
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

// The user confirmed Cancel at a servicing point: the run unwinds and does nothing more.
struct RunCancelled {};

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

// Creates folder with every missing parent; when that fails, says so in the Error dialog.
bool CreateFolderOrReport(const AnsiString& folder, const AnsiString& failure) {
  bool created = false;
  try {
    created = platform::ForceDirectories(folder);
  } catch (const std::exception&) {
    created = false;
  }
  if (!created) {
    gui::Application::Instance().MessageDlg(failure, gui::DialogType::Error, gui::dlg::kOk);
  }
  return created;
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
    RunInstallation();
  } catch (const RunCancelled&) {
    // Stopped by a confirmed Cancel (the host has closed itself), or, silently, at a failure
    // already recorded.
  } catch (const std::exception& error) {
    Formain->Fail(registering_ ? SetupExitCode::RegistrationFailed : SetupExitCode::WriteFailed,
                  error.what());
    // On screen the error goes on to the window's error report.
    if (!Formain->Silent()) throw;
  }
}

void TFormsec::RunInstallation() {
  ServiceMessages();
  SetProgress(1);
  auto reader = std::make_unique<PayloadReader>("FileExe", "exename");
  if (!InstallMainExecutable(*reader)) return;
  ExtractManifest(*reader);
  Register(std::move(reader));
  RunComplete = true;
  Timer1->SetEnabled(true);
}

bool TFormsec::InstallMainExecutable(PayloadReader& reader) {
  try {
    SetStatus(DisplayPath(TargetName));
    if (!EnsureInstallFolder(Formain->InstallFolder)) return false;
    const AnsiString target = Formain->InstallFolder + TargetName;
    // A file of an earlier installation may carry marks that keep the system from replacing it.
    platform::MakeReplaceable(target);
    reader.SaveToFile(target);
    LoggedFile(TargetName, reader.Size());
    SetProgress(kFirstEntryPosition);
    Pause();
    return true;
  } catch (const std::exception& error) {
    Formain->Fail(SetupExitCode::WriteFailed, error.what());
    gui::Application::Instance().ShowMessage(kMainExecutableRunning);
    if (FormSchedule) FormSchedule->InstallStarted = false;
    Formain->Close();
    return false;
  }
}

void TFormsec::ExtractManifest(PayloadReader& reader) {
  const std::vector<AnsiString> lines =
      SplitLines(platform::ReadWholeFile(Formain->StagingFolder + "orvlSetup.log"));
  ServiceMessages();
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const ManifestLine entry = SplitManifestLine(lines[index]);
    if (EnsureEntryFolder(ManifestFolderPart(entry.path))) {
      ExtractEntry(reader, entry.name, entry.type, entry.path, index, lines.size());
    }
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

bool TFormsec::EnsureInstallFolder(const AnsiString& folder) {
  if (platform::DirectoryExists(folder)) return true;
  SetStatus("安装主程序文件");
  const AnsiString failure = "创建主文件夹\\" + folder + " 失败";
  if (CreateFolderOrReport(folder, failure)) return true;
  Formain->Fail(SetupExitCode::FolderNotCreated, failure);
  return false;
}

bool TFormsec::EnsureEntryFolder(const AnsiString& relativeFolder) {
  ServiceMessages();
  const AnsiString folder = Formain->InstallFolder + relativeFolder;
  if (platform::DirectoryExists(folder)) return true;
  SetStatus("创建文件夹\\" + relativeFolder);
  const AnsiString failure = "创建文件夹\\" + relativeFolder + " 失败";
  if (CreateFolderOrReport(folder, failure)) return true;
  Formain->Fail(SetupExitCode::WriteFailed, failure);
  // A silent run ends at its first failure; on screen the line is skipped and the run goes on.
  if (Formain->Silent()) throw RunCancelled{};
  return false;
}

void TFormsec::ExtractEntry(PayloadReader& reader, const AnsiString& name, const AnsiString& type,
                            const AnsiString& relativePath, std::size_t lineIndex,
                            std::size_t lineCount) {
  SetStatus(DisplayPath(relativePath));
  ServiceMessages();
  reader.Open(name, type);
  const AnsiString target = Formain->InstallFolder + relativePath;
  platform::MakeReplaceable(target);
  reader.SaveToFile(target);
  LoggedFile(relativePath, reader.Size());
  // Spread over the bar in proportion to the line, so it fills steadily and never overflows.
  SetProgress(kFirstEntryPosition + static_cast<int>((lineIndex + 1) * kEntriesSpan / lineCount));
  Pause();
}

void TFormsec::ServiceMessages() {
  gui::Application::Instance().ProcessMessages();
  if (cancelled_) throw RunCancelled{};
}

void TFormsec::SetStatus(const AnsiString& text) { lbls->SetCaption(text); }

void TFormsec::LoggedFile(const AnsiString& relativePath, std::uint64_t bytes) {
  installedBytes_[relativePath] = bytes;
  Formain->LogLine(Format("file %s%s (%llu bytes)", Formain->InstallFolder.c_str(),
                          relativePath.c_str(), static_cast<unsigned long long>(bytes)));
}

void TFormsec::SetProgress(int position) { pgbs->SetPosition(position); }

void TFormsec::Pause() { platform::Sleep(kPauseMilliseconds); }
