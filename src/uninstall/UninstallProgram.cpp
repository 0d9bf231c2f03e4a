#include "uninstall/UninstallProgram.h"

#include <exception>
#include <memory>
#include <optional>

#include "host/RunningProduct.h"
#include "install/InstallLog.h"
#include "install/ProgramGroup.h"
#include "install/ProtectedUninstaller.h"
#include "install/Registration.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "setupdata/IniFile.h"
#include "uninstall/Removal.h"
#include "uninstall/UninstallSwitches.h"
#include "uninstall/UninstallWindow.h"

namespace {

constexpr const char* kMutexName = "KOrvlUninstall_27805";
constexpr const char* kTitle = "卸载";
constexpr const char* kNoticeTitle = "运行提示";
constexpr const char* kAnotherRunningText = "卸载程序已经运行";
constexpr const char* kProductRunningText =
    "Korvello正在运行中，只有结束其\r运行后，才能卸载。\r\r要结束正在运行的Korvello吗?";
constexpr const char* kNothingInstalledText = "没有找到 Korvello 的安装，没有删除任何文件。";
constexpr const char* kRefusedText = "安装记录不可信，卸载程序没有删除任何文件：\r\r";
constexpr const char* kDefaultCaption = "Korvello";
constexpr std::size_t kPathsShown = 5;
// How long the copy clearing away the uninstaller's file waits for that program to end.
constexpr std::uint32_t kCleanupWaitMilliseconds = 60000;

int Code(UninstallExitCode code) { return static_cast<int>(code); }

// What one run of the removal needs: its switches, its log and how to tell the user.
class Uninstaller {
 public:
  Uninstaller(gui::Application& application, UninstallSwitches switches)
      : application_(application), switches_(std::move(switches)) {}

  void OpenLog(const AnsiString& commandLine) {
    if (!switches_.logFile) return;
    try {
      log_ = std::make_unique<InstallLog>(*switches_.logFile);
      log_->Line("command line: " + commandLine);
    } catch (const std::exception&) {
      // No log: the removal goes on all the same.
    }
  }

  void Log(const AnsiString& line) {
    if (log_) log_->Line(line);
  }

  // A message the user sees; a silent run logs it instead.
  void Tell(const AnsiString& text, unsigned icon) {
    Log("message: " + text);
    if (!switches_.silent) application_.MessageBox(text, title_, gui::mb::kOk | icon);
  }

  bool AskYes(const AnsiString& text, const AnsiString& title) {
    return application_.MessageBox(text, title, gui::mb::kYesNo | gui::mb::kIconQuestion) ==
           gui::idYes;
  }

  int End(UninstallExitCode code, const AnsiString& why) {
    Log(Format("exit code %d: ", Code(code)) + why);
    return Code(code);
  }

  // The removal itself, in the copy: origin is the program that started it.
  int Remove(const AnsiString& origin) {
    AnsiString why;
    std::optional<Installation> installation = FindInstallation(origin, why);
    if (!installation) {
      Tell(why.empty() ? AnsiString(kNothingInstalledText) : kRefusedText + why,
           gui::mb::kIconWarning);
      return End(UninstallExitCode::NothingToRemove, why.empty() ? "nothing installed" : why);
    }
    const AnsiString refusal = RefusalOf(*installation);
    if (!refusal.empty()) {
      Tell(kRefusedText + refusal, gui::mb::kIconWarning);
      return End(UninstallExitCode::NothingToRemove, refusal);
    }
    const AnsiString caption = CaptionOf(installation->folder);
    title_ = caption + " " + kTitle;
    if (!switches_.silent &&
        !AskYes("确实要从您的电脑中删除 " + caption + " 及其所有组件吗？", title_)) {
      return End(UninstallExitCode::Cancelled, "the user answered No");
    }
    if (ProductProcessRunning()) {
      if (switches_.silent || !AskYes(kProductRunningText, kNoticeTitle))
        return End(UninstallExitCode::ProductRunning, "Korvello is running");
      EndProductWindowProcess(kProductWindowClass, title_);
    }
    const RemovalOutcome outcome = RemoveShowingProgress(*installation, caption);
    if (outcome.entryRemoved && !installation->fromManifest) ForgetProtectedInstallation();
    Tell(Summary(caption, outcome), gui::mb::kIconInformation);
    if (!outcome.failed.empty()) return End(UninstallExitCode::Failed, "some files stay");
    if (!outcome.atRestart.empty())
      return End(UninstallExitCode::LeftForRestart, "some files go at the next start");
    return End(UninstallExitCode::Removed, "removed");
  }

 private:
  // From the protected folder: its record only. From anywhere else: the manifest in the
  // program's own folder, within that folder's bounds.
  std::optional<Installation> FindInstallation(const AnsiString& origin, AnsiString& why) {
    if (SameTextAscii(FolderOf(origin), ProtectedUninstallFolder() + "\\")) {
      const auto folder = ProtectedInstallFolder();
      if (!folder || !platform::FileExists(ProtectedRecordPath())) return std::nullopt;
      try {
        auto installation =
            InstallationOfRecord(*folder, platform::ReadWholeFile(ProtectedRecordPath()), &why);
        if (installation) Log("record " + ProtectedRecordPath() + " for " + *folder);
        return installation;
      } catch (const std::exception& error) {
        why = error.what();
        return std::nullopt;
      }
    }
    const AnsiString folder = FolderOf(origin);
    auto installation = InstallationOfManifest(folder, &why);
    if (!installation) {
      Log("no installation in " + folder + ": " + why);
      why.clear();
      return std::nullopt;
    }
    installation->runningProgram = origin;
    return installation;
  }

  static AnsiString CaptionOf(const AnsiString& folder) {
    const AnsiString caption =
        TIniFile(folder + "Setup.ini").ReadString("Form", "Caption", AnsiString());
    return caption.empty() ? AnsiString(kDefaultCaption) : caption;
  }

  RemovalOutcome RemoveShowingProgress(const Installation& installation,
                                       const AnsiString& caption) {
    TFormUninstall* window = nullptr;
    if (!switches_.silent) {
      application_.CreateForm(window);
      window->SetCaption("正在卸载 " + caption);
      window->lblTitle->SetCaption("正在卸载 " + caption);
      window->ShowForm();
      application_.ProcessMessages();
    }
    RemovalServices services;
    services.log = [this](const AnsiString& line) { Log(line); };
    services.removeProgramGroup = [this](const AnsiString& group) {
      RemoveProgramGroupAnywhere(group, [this](const AnsiString& line) { Log(line); });
    };
    services.progress = [window](int percent) {
      if (window) window->ShowProgress(percent);
    };
    RemovalOutcome outcome = RemoveInstallation(installation, services);
    if (window) window->Hide();
    return outcome;
  }

  static AnsiString Listed(const std::vector<AnsiString>& paths) {
    AnsiString text;
    for (std::size_t index = 0; index < paths.size() && index < kPathsShown; ++index)
      text += "\r" + paths[index];
    if (paths.size() > kPathsShown)
      text += Format("\r……另有 %u 个", static_cast<unsigned>(paths.size() - kPathsShown));
    return text;
  }

  static AnsiString Summary(const AnsiString& caption, const RemovalOutcome& outcome) {
    AnsiString text = outcome.failed.empty() ? caption + " 已从您的电脑中删除。"
                                             : caption + " 没有完全删除，请再次运行卸载程序。";
    if (!outcome.changedFiles.empty())
      text += "\r\r以下文件在安装后被修改过，已保留：" + Listed(outcome.changedFiles);
    if (!outcome.keptFolders.empty())
      text += "\r\r以下文件夹中有不是安装程序放入的文件，已保留：" + Listed(outcome.keptFolders);
    if (!outcome.atRestart.empty())
      text += "\r\r以下文件正在使用中，将在下次启动 Windows 时删除：" + Listed(outcome.atRestart);
    if (!outcome.failed.empty()) text += "\r\r以下文件无法删除：" + Listed(outcome.failed);
    return text;
  }

  gui::Application& application_;
  UninstallSwitches switches_;
  std::unique_ptr<InstallLog> log_;
  AnsiString title_ = AnsiString(kDefaultCaption) + " " + kTitle;
};

// The copy in a private folder below the Windows folder's Temp, made as the setup's staging
// folder is: nobody else can have put a file there or change it. Nothing when it cannot be made.
std::optional<AnsiString> CopyIntoPrivateFolder(const AnsiString& program) {
  const AnsiString temp = platform::WindowsDirectory() + "\\Temp";
  if (!platform::DirectoryExists(temp)) platform::CreateDirectory(temp);
  const auto folder = platform::CreatePrivateFolder(temp);
  if (!folder) return std::nullopt;
  const AnsiString copy = *folder + "\\Uninstall.exe";
  try {
    const std::string bytes = platform::ReadWholeFile(program);
    platform::WriteNewFile(copy, bytes.data(), bytes.size());
  } catch (const std::exception&) {
    platform::RemoveDirectory(*folder);
    return std::nullopt;
  }
  return copy;
}

// In the copy, once the program that started it has ended: its file goes when the installation
// it was for has gone, and so do the folders it leaves empty; the copy itself and its private
// folder go when Windows next starts.
int ClearAway(const UninstallSwitches& switches) {
  platform::WaitForProcessEnd(*switches.cleanupAfter, kCleanupWaitMilliseconds);
  const AnsiString origin = *switches.origin;
  const AnsiString folder = FolderOf(origin);
  const bool fromProtectedFolder = SameTextAscii(folder, ProtectedUninstallFolder() + "\\");
  const bool removed = fromProtectedFolder ? !platform::FileExists(ProtectedRecordPath())
                                           : !platform::FileExists(folder + "Setup.log");
  if (removed && !platform::PassesThroughLink(folder) && platform::FileExists(origin)) {
    platform::DeleteFile(origin);
    platform::RemoveDirectory(folder.substr(0, folder.size() - 1));
  }
  const AnsiString own = platform::OwnProgramPath();
  platform::DeleteAtRestart(own);
  platform::DeleteAtRestart(FolderOf(own).substr(0, FolderOf(own).size() - 1));
  return Code(UninstallExitCode::Removed);
}

}  // namespace

int RunUninstaller(gui::Application& application, const AnsiString& commandLine) {
  const UninstallSwitches switches = ParseUninstallSwitches(commandLine);
  application.SetTitle(AnsiString(kDefaultCaption) + " " + kTitle);
  if (switches.help || switches.UsageError()) {
    if (!(switches.silent && switches.UsageError()))
      application.MessageBox(UninstallUsageText(), kTitle,
                             gui::mb::kOk | gui::mb::kIconInformation);
    return Code(switches.UsageError() ? UninstallExitCode::Usage : UninstallExitCode::Removed);
  }
  if (switches.silent) application.ShowNothing([](const AnsiString&) {});
  if (switches.cleanupAfter && switches.origin) return ClearAway(switches);
  Uninstaller uninstaller(application, switches);
  if (switches.origin) {
    uninstaller.OpenLog(commandLine);
    return uninstaller.Remove(*switches.origin);
  }

  const AnsiString own = platform::OwnProgramPath();
  // Started by hand from the install folder: the protected copy does the work, on its record.
  if (!SameTextAscii(FolderOf(own), ProtectedUninstallFolder() + "\\") &&
      platform::FileExists(ProtectedUninstallerPath()) && ProtectedInstallFolder()) {
    const auto code = platform::RunAndWait(ProtectedUninstallerPath(), PassedOnSwitches(switches));
    return code ? static_cast<int>(*code) : Code(UninstallExitCode::NothingToRemove);
  }
  // The guard is held until this process ends, while its copy removes.
  platform::NamedMutex guard = platform::NamedMutex::Create(kMutexName);
  if (guard.CreationError() == platform::kErrorAlreadyExists) {
    guard.Release();
    uninstaller.OpenLog(commandLine);
    uninstaller.Tell(kAnotherRunningText, gui::mb::kIconInformation);
    return uninstaller.End(UninstallExitCode::AnotherRunning, "another uninstaller is running");
  }
  const auto copy = CopyIntoPrivateFolder(own);
  if (!copy) {
    // Without a private copy the removal runs here; this program's file then waits for the
    // next start of Windows.
    uninstaller.OpenLog(commandLine);
    uninstaller.Log("no private copy of the uninstaller: it runs from " + own);
    return uninstaller.Remove(own);
  }
  const AnsiString origin = " \"/ORIGIN=" + own + "\"";
  const auto code = platform::RunAndWait(*copy, PassedOnSwitches(switches) + origin);
  platform::StartProgram(*copy, Format("/CLEANUP=%u", platform::OwnProcessId()) + origin);
  return code ? static_cast<int>(*code) : Code(UninstallExitCode::Failed);
}
