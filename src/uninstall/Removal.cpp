#include "uninstall/Removal.h"

#include <algorithm>
#include <exception>

#include "install/RecordFields.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/ShellLink.h"
#include "setupdata/Manifest.h"

namespace {

constexpr const char* kManifestFileName = "Setup.log";

void Log(const RemovalServices& services, const AnsiString& line) {
  if (services.log) services.log(line);
}

void Progress(const RemovalServices& services, int percent) {
  if (services.progress) services.progress(percent);
}

bool IsBelow(const AnsiString& path, const AnsiString& folder) {
  return path.size() > folder.size() && SameTextAscii(path.substr(0, folder.size()), folder) &&
         path[folder.size()] == '\\';
}

// The entry's key, the keys below it and the keys on its way (made when the system had none).
bool IsEntryKey(const AnsiString& key) {
  return SameTextAscii(key, kUninstallEntryKey) || IsBelow(key, kUninstallEntryKey) ||
         IsBelow(kUninstallEntryKey, key);
}

// What the machine holds at a file the record names, and what becomes of it.
enum class FileFate { Gone, Removed, Changed, InUse, Failed };

// A manifest knows no file's size or sum: every file it lists counts as installed.
FileFate RemoveFile(const AnsiString& path, const RecordedFile& recorded, bool fromManifest) {
  if (!platform::FileExists(path)) return FileFate::Gone;
  if (!fromManifest && !StillAsRecorded(path, recorded)) return FileFate::Changed;
  if (platform::IsFileInUse(path)) return FileFate::InUse;
  // A file the setup wrote may carry marks the system keeps from being deleted.
  platform::MakeReplaceable(path);
  return platform::DeleteFile(path) ? FileFate::Removed : FileFate::Failed;
}

void RemoveFiles(const Installation& installation, const RemovalServices& services,
                 RemovalOutcome& outcome) {
  const std::vector<RecordedFile>& files = installation.record.files;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const AnsiString path = installation.folder + files[index].path;
    if (SameTextAscii(path, installation.runningProgram)) {
      Log(services, "file " + path + ": removed once the uninstaller has ended");
      continue;
    }
    switch (RemoveFile(path, files[index], installation.fromManifest)) {
      case FileFate::Gone:
        Log(services, "file " + path + ": not there");
        break;
      case FileFate::Removed:
        Log(services, "file " + path + ": removed");
        break;
      case FileFate::Changed:
        Log(services, "file " + path + ": changed since it was installed, kept");
        outcome.changedFiles.push_back(path);
        break;
      case FileFate::InUse:
        if (platform::DeleteAtRestart(path)) {
          Log(services, "file " + path + ": in use, deleted when Windows next starts");
          outcome.atRestart.push_back(path);
        } else {
          Log(services, "file " + path + ": in use, could not be removed");
          outcome.failed.push_back(path);
        }
        break;
      case FileFate::Failed:
        Log(services, "file " + path + ": could not be removed");
        outcome.failed.push_back(path);
        break;
    }
    Progress(services, static_cast<int>(10 + 60 * (index + 1) / files.size()));
  }
  // The record of the install folder is the setup's own file.
  const AnsiString record = installation.folder + kInstallRecordFileName;
  if (platform::FileExists(record) && !platform::DeleteFile(record))
    outcome.failed.push_back(record);
}

// The folders the setup made, deepest first, the install folder last; each goes when empty.
// One that stays because a file in it waits for the restart goes at the restart after it.
void RemoveFolders(const Installation& installation, const RemovalServices& services,
                   RemovalOutcome& outcome) {
  std::vector<AnsiString> folders;
  for (const AnsiString& folder : installation.record.folders)
    folders.push_back(installation.folder + folder);
  // Deepest first: a folder after every folder below it.
  std::stable_sort(folders.begin(), folders.end(), [](const AnsiString& a, const AnsiString& b) {
    return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
  });
  if (installation.record.madeInstallFolder)
    folders.push_back(installation.folder.substr(0, installation.folder.size() - 1));
  for (const AnsiString& folder : folders) {
    if (!platform::DirectoryExists(folder) || platform::RemoveDirectory(folder)) continue;
    if (IsBelow(installation.runningProgram, folder)) continue;
    const bool waits =
        std::any_of(outcome.atRestart.begin(), outcome.atRestart.end(),
                    [&folder](const AnsiString& path) { return IsBelow(path, folder); });
    if (waits && platform::DeleteAtRestart(folder)) {
      Log(services, "folder " + folder + ": deleted when Windows next starts");
      outcome.atRestart.push_back(folder);
    } else {
      Log(services, "folder " + folder + ": not empty, kept");
      outcome.keptFolders.push_back(folder);
    }
  }
}

// The desktop shortcut goes while it still starts the installed program: one the user pointed
// elsewhere is the user's now.
void RemoveShortcut(const Installation& installation, const RemovalServices& services) {
  if (installation.record.shortcut.empty()) return;
  const AnsiString desktop = platform::CommonDesktopFolder();
  if (desktop.empty()) return;
  const AnsiString link = desktop + "\\" + installation.record.shortcut;
  const auto target = platform::LinkTarget(link);
  if (!target) {
    Log(services, "shortcut " + link + ": not there");
  } else if (!IsBelow(*target, installation.folder.substr(0, installation.folder.size() - 1))) {
    Log(services, "shortcut " + link + ": starts " + *target + " now, kept");
  } else {
    Log(services,
        "shortcut " + link + (platform::DeleteFile(link) ? ": removed" : ": could not be removed"));
  }
}

// A key that stays (a value in it someone changed, or added) is no failure of the removal.
void RollBackLogged(const std::vector<RunChange>& changes, const RemovalServices& services) {
  RollbackServices rollback;
  rollback.log = services.log;
  RollBack(changes, rollback);
}

// The recorded keys and values (those of the uninstall entry or all others) as the changes that
// made them, in the order they were made: undoing them removes each value that still holds what
// the setup wrote (one that held something before gets that back) and each key left empty.
std::vector<RunChange> RegistryChanges(const InstallRecord& record, bool entry,
                                       const RemovalServices& services) {
  std::vector<RunChange> changes;
  for (const RecordedKey& key : record.keys) {
    if (IsEntryKey(key.key) != entry) continue;
    RunChange change;
    change.kind = RunChange::Kind::Key;
    change.root = key.root;
    change.path = key.key;
    changes.push_back(change);
  }
  for (const RecordedValue& value : record.values) {
    if (IsEntryKey(value.key) != entry) continue;
    platform::Registry registry;
    registry.SetRootKey(value.root);
    const auto now =
        registry.OpenKey(value.key, false) ? registry.ReadRaw(value.name) : std::nullopt;
    if (now && *now != value.written) {
      Log(services, "registry value " + value.key + "\\" + value.name + ": changed since, kept");
      continue;
    }
    RunChange change;
    change.kind = RunChange::Kind::Value;
    change.root = value.root;
    change.path = value.key;
    change.name = value.name;
    change.before = value.before;
    changes.push_back(change);
  }
  return changes;
}

// Without a record the entry is known by its key alone: it goes when it names this folder.
void RemoveManifestEntry(const Installation& installation, const RemovalServices& services,
                         RemovalOutcome& outcome) {
  platform::Registry registry;
  if (!registry.OpenKey(kUninstallEntryKey, false)) return;
  AnsiString location = registry.ReadString("InstallLocation");
  if (!location.empty() && location.back() != '\\') location += '\\';
  if (!SameTextAscii(location, installation.folder)) {
    Log(services, "uninstall entry: names another folder, kept");
    return;
  }
  for (const AnsiString& name : UninstallEntryValueNames()) registry.DeleteValue(name);
  registry.CloseKey();
  outcome.entryRemoved = registry.DeleteKeyIfEmpty(kUninstallEntryKey);
}

}  // namespace

std::optional<Installation> InstallationOfRecord(const AnsiString& folder,
                                                 const std::string& recordText, AnsiString* why) {
  auto record = ParseRecord(recordText, why);
  if (!record) return std::nullopt;
  return Installation{folder, std::move(*record), false, AnsiString()};
}

std::optional<Installation> InstallationOfManifest(const AnsiString& folder, AnsiString* why) {
  const auto refuse = [why](const AnsiString& reason) -> std::optional<Installation> {
    if (why) *why = reason;
    return std::nullopt;
  };
  const AnsiString path = folder + kManifestFileName;
  if (!platform::FileExists(path))
    return refuse("there is no record and no " + AnsiString(kManifestFileName));
  AnsiString text;
  try {
    text = platform::ReadWholeFile(path);
  } catch (const std::exception& error) {
    return refuse(error.what());
  }
  Installation installation{folder, {}, true, AnsiString()};
  for (const AnsiString& line : SplitLines(text)) {
    if (line.empty()) continue;
    const ManifestLine entry = SplitManifestLine(line);
    if (!record::IsInsidePath(entry.path))
      return refuse("a path outside the install folder: " + entry.path);
    if (installation.record.FindFile(entry.path)) continue;
    RecordedFile file;
    file.path = entry.path;
    installation.record.files.push_back(file);
    // Every folder on the way, each after its parent.
    for (AnsiString part = ManifestFolderPart(entry.path); !part.empty();
         part = ManifestFolderPart(part)) {
      if (std::none_of(installation.record.folders.begin(), installation.record.folders.end(),
                       [&part](const AnsiString& known) { return SameTextAscii(known, part); }))
        installation.record.folders.push_back(part);
    }
  }
  installation.record.madeInstallFolder = true;
  return installation;
}

AnsiString RefusalOf(const Installation& installation) {
  const AnsiString folder = installation.folder.substr(0, installation.folder.size() - 1);
  if (platform::PassesThroughLink(folder)) return "the install folder " + folder + " is a link";
  for (const RecordedFile& file : installation.record.files) {
    if (platform::PassesThroughLink(installation.folder + file.path))
      return "the way to " + installation.folder + file.path + " passes through a link";
  }
  for (const AnsiString& made : installation.record.folders) {
    if (platform::PassesThroughLink(installation.folder + made))
      return "the way to " + installation.folder + made + " passes through a link";
  }
  return AnsiString();
}

RemovalOutcome RemoveInstallation(const Installation& installation,
                                  const RemovalServices& services) {
  RemovalOutcome outcome;
  Log(services, "removing the installation in " + installation.folder +
                    (installation.fromManifest ? " (from its manifest)" : " (from its record)"));
  Progress(services, 5);
  RemoveShortcut(installation, services);
  if (!installation.record.programGroup.empty() && services.removeProgramGroup)
    services.removeProgramGroup(installation.record.programGroup);
  Progress(services, 10);
  RemoveFiles(installation, services, outcome);
  RemoveFolders(installation, services, outcome);
  Progress(services, 80);
  RollBackLogged(RegistryChanges(installation.record, false, services), services);
  Progress(services, 90);
  if (!outcome.failed.empty()) {
    Log(services, "uninstall entry: kept, so that the removal can be started again");
  } else if (installation.fromManifest) {
    RemoveManifestEntry(installation, services, outcome);
  } else {
    RollBackLogged(RegistryChanges(installation.record, true, services), services);
    outcome.entryRemoved = !platform::Registry().KeyExists(kUninstallEntryKey);
  }
  Progress(services, 100);
  return outcome;
}
