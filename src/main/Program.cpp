#include "main/Program.h"

#include <exception>
#include <memory>

#include "host/Unit_main.h"
#include "install/InstallLog.h"
#include "install/ProgramGroup.h"
#include "install/Rollback.h"
#include "main/SilentSetup.h"
#include "platform/ComApartment.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/Process.h"
#include "platform/gui/Application.h"
#include "platform/gui/DdeClientConv.h"
#include "wizard/Unit_Schedule.h"

namespace {
constexpr const char* kSingleInstanceMutexName = "KOrvlSetup_27805";
constexpr const char* kAlreadyRunningText = "安装程序已经运行";
constexpr const char* kAlreadyRunningTitle = "运行提示";

int Code(SetupExitCode code) { return static_cast<int>(code); }

// The usage box for /? and /H and for a switch not understood; a silent run shows nothing.
int ShowUsage(gui::Application& application, const SetupSwitches& switches) {
  if (!(switches.silent && switches.UsageError())) {
    application.MessageBox(SetupUsageText(), SetupTitle, gui::mb::kOk | gui::mb::kIconInformation);
  }
  return Code(switches.UsageError() ? SetupExitCode::Usage : SetupExitCode::Installed);
}

// A run this setup's predecessor was killed during is undone before anything else happens.
void RecoverKilledRun(InstallLog* log) {
  const auto logLine = [log](const AnsiString& line) {
    if (log) log->Line(line);
  };
  RollbackServices services;
  services.log = logLine;
  services.removeProgramGroup = [&logLine](const AnsiString& caption) {
    gui::DdeClientConv conversation(nullptr, "RecoveryConversation");
    conversation.SetConnectMode(gui::DdeConnectMode::Manual);
    RemoveProgramGroup(conversation, caption, logLine);
  };
  RecoverUnfinishedRun(services);
}

}  // namespace

int RunSetup(gui::Application& application, std::optional<platform::NamedMutex>& guard,
             const SetupSwitches& switches, const AnsiString& commandLine) {
  if (switches.help || switches.UsageError()) return ShowUsage(application, switches);
  std::unique_ptr<InstallLog> log;
  if (switches.logFile) {
    // Known before anything is installed.
    try {
      log = std::make_unique<InstallLog>(*switches.logFile);
    } catch (const std::exception& error) {
      if (switches.silent) return Code(SetupExitCode::Usage);
      application.MessageBox(error.what(), SetupTitle, gui::mb::kOk | gui::mb::kIconError);
      return 0;
    }
    log->Line("command line: " + commandLine);
    log->Line(switches.silent ? "silent installation" : "installation with the wizard");
  }
  guard.emplace(platform::NamedMutex::Create(kSingleInstanceMutexName));
  if (guard->CreationError() == platform::kErrorAlreadyExists) {
    // This process was not granted ownership; the first setup keeps its guard.
    guard->Release();
    if (log) log->Line("error: another setup is running");
    if (switches.silent) return Code(SetupExitCode::AnotherSetupRunning);
    application.MessageBox(kAlreadyRunningText, kAlreadyRunningTitle,
                           gui::mb::kOk | gui::mb::kIconInformation);
    return 0;
  }
  application.SetTitle(SetupTitle);
  InstallLog* const logged = log.get();
  RecoverKilledRun(logged);
  if (switches.silent) {
    // Nothing is shown: what would be a message goes to the log.
    application.ShowNothing([logged](const AnsiString& text) {
      if (logged) logged->Line("message: " + text);
    });
  }
  application.CreateForm(Formain, [&switches, &log](TFormain& host) {
    host.Switches = switches;
    host.Log = std::move(log);
  });
  application.CreateForm(FormSchedule);
  if (!switches.silent) {
    application.Run();
    return 0;
  }
  const SetupExitCode code = RunSilentInstallation();
  // The host's close removes the staged files and their folder.
  if (Formain) Formain->Close();
  return Code(code);
}

int RunProgram(std::unique_ptr<gui::Backend> backend) {
  // The guard outlives every window: it is released only as the process ends.
  std::optional<platform::NamedMutex> guard;
  // COM for the user-interface thread, open before the application object exists and until it
  // and every window are gone: the installation makes its shell links on this thread.
  const platform::ComApartment com;
  gui::Application application(std::move(backend));
  AnsiString commandLine;
  try {
    commandLine = platform::CommandLine();
  } catch (const EEncodingError&) {
    // A command line code page 936 cannot hold names nothing the setup could use.
    commandLine = "setup.exe \"/?\"";
  }
  return RunSetup(application, guard, ParseSetupSwitches(commandLine), commandLine);
}
