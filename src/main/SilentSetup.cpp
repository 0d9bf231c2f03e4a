#include "main/SilentSetup.h"

#include <exception>

#include "host/Unit_main.h"
#include "install/InstallRecord.h"
#include "install/ProtectedUninstaller.h"
#include "install/Unit_sec.h"
#include "platform/IniFile.h"
#include "platform/ScopeExit.h"
#include "wizard/PayloadSpace.h"
#include "wizard/Unit_Schedule.h"

namespace {

// The folder an interactive run would install into with the default choices: /D=, else the
// folder of the earlier installation it reinstalls over, else the folder page's proposal.
// False when a newer version is installed (or its version cannot be read), or when the folder of
// /D= cannot take the product.
bool ChooseInstallFolder(TFormain& host, TFormSchedule& wizard) {
  AnsiString installedFolder;
  InstalledCopy installed = InstalledCopy::None;
  try {
    installed = wizard.FindInstalledCopy(installedFolder);
  } catch (const std::exception& error) {
    // Without a version to compare, the installed copy may be newer: it is left alone.
    host.Fail(SetupExitCode::NewerVersionInstalled, error.what());
    return false;
  }
  if (installed == InstalledCopy::NewerVersion) {
    host.Fail(SetupExitCode::NewerVersionInstalled,
              "a newer version is installed in " + installedFolder);
    return false;
  }
  if (host.Switches.installFolder) {
    const AnsiString& folder = *host.Switches.installFolder;
    // A folder the wizard's folder page would refuse is a mistake of the command line.
    if (const auto problem = wizard.InstallFolderProblemHere(folder)) {
      host.Fail(SetupExitCode::Usage, "/D=" + folder + " cannot be used: " + *problem);
      return false;
    }
    host.InstallFolder = folder;
  } else if (installed != InstalledCopy::None) {
    host.InstallFolder = installedFolder;
  } else {
    host.InstallFolder = host.ReadSetupValue("SetupDir", "SetupPath") + "\\";
    wizard.RefreshDiskGrid(true);
  }
  host.LogLine("install folder " + host.InstallFolder);
  return true;
}

}  // namespace

SetupExitCode RunSilentInstallation() {
  TFormain& host = *Formain;
  TFormSchedule& wizard = *FormSchedule;
  if (!host.ContinueSetup || host.ExitCode != SetupExitCode::Installed) return host.ExitCode;
  if (!ChooseInstallFolder(host, wizard)) return host.ExitCode;
  // Nobody to ask: a payload that does not fit is not started.
  if (const auto shortfall = PayloadSpaceShortfall(host.InstallFolder)) {
    host.Fail(SetupExitCode::NotEnoughSpace, DescribeShortfall(*shortfall));
    return host.ExitCode;
  }
  wizard.InstallStarted = true;
  auto& progress = host.Make<TFormsec>("Formsec");
  const auto release = platform::MakeScopeExit([&host, &progress] { host.DestroyOwned(progress); });
  progress.DoCreate();
  if (progress.RunSilently() != SetupExitCode::Installed) return host.ExitCode;
  // The finish page's action, without starting the product.
  const AnsiString options = host.InstallFolder + "Options.ini";
  if (!platform::WriteProfileString(options, "Option", "Reset", "88")) {
    host.Fail(SetupExitCode::WriteFailed, "Unable to write to " + options);
    return host.ExitCode;
  }
  RecordFileAsItIs(host.InstallFolder, "Options.ini");
  RefreshProtectedRecord(host.InstallFolder);
  host.LogLine("options " + options + ": [Option] Reset=88");
  host.LogLine("installed");
  return SetupExitCode::Installed;
}
