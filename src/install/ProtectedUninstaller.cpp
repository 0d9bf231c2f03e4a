#include "install/ProtectedUninstaller.h"

#include <exception>

#include "install/InstallRecord.h"
#include "install/RecordFields.h"
#include "install/RunJournal.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Shell.h"

namespace {

constexpr const char* kFolderName = "Uninstall";
constexpr const char* kInstallFolderFileName = "InstallFolder.txt";

}  // namespace

AnsiString ProtectedUninstallFolder() { return RunJournal::Folder() + "\\" + kFolderName; }

AnsiString ProtectedUninstallerPath() { return ProtectedUninstallFolder() + "\\Uninstall.exe"; }

AnsiString ProtectedRecordPath() {
  return ProtectedUninstallFolder() + "\\" + kInstallRecordFileName;
}

AnsiString ProtectedInstallFolderPath() {
  return ProtectedUninstallFolder() + "\\" + kInstallFolderFileName;
}

bool EnsureProtectedUninstallFolder(AnsiString* why) {
  if (platform::CommonAppDataFolder().empty()) {
    if (why) *why = "the system names no common application data folder";
    return false;
  }
  return platform::EnsureAdministratorsFolder(RunJournal::Folder(), why) &&
         platform::EnsureAdministratorsFolder(ProtectedUninstallFolder(), why);
}

void KeepProtectedRecord(const AnsiString& installFolder) {
  const std::string record = platform::ReadWholeFile(installFolder + kInstallRecordFileName);
  platform::ReplaceFileAtomically(ProtectedRecordPath(), record.data(), record.size());
  const std::string folder = platform::Utf8Text(installFolder) + "\r\n";
  platform::ReplaceFileAtomically(ProtectedInstallFolderPath(), folder.data(), folder.size());
}

std::optional<AnsiString> ProtectedInstallFolder() {
  if (!EnsureProtectedUninstallFolder() || !platform::FileExists(ProtectedInstallFolderPath()))
    return std::nullopt;
  try {
    const auto lines = SplitLines(platform::ReadWholeFile(ProtectedInstallFolderPath()));
    if (lines.empty()) return std::nullopt;
    const AnsiString folder = platform::AnsiTextOfUtf8(lines.front());
    // Only a folder on a drive, named as the setup names one, ending in a backslash.
    if (folder.size() < 4 || folder.back() != '\\' ||
        !record::IsAbsoluteDrivePath(folder.substr(0, folder.size() - 1)))
      return std::nullopt;
    return folder;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void RefreshProtectedRecord(const AnsiString& installFolder) {
  const auto folder = ProtectedInstallFolder();
  if (!folder || !SameTextAscii(*folder, installFolder)) return;
  try {
    KeepProtectedRecord(installFolder);
  } catch (const std::exception&) {
    // The file the record changed for then stays when the installation is removed.
  }
}

bool ForgetProtectedInstallation() {
  const bool recordGone =
      !platform::FileExists(ProtectedRecordPath()) || platform::DeleteFile(ProtectedRecordPath());
  if (platform::FileExists(ProtectedInstallFolderPath()))
    platform::DeleteFile(ProtectedInstallFolderPath());
  return recordGone;
}
