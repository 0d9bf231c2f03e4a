// The four registration steps of the installation run: the uninstall entry with the
// uninstaller, the desktop shortcut, the Program Manager group, and the document type with the
// product keys. None of them catches an error: an error ends the run, which undoes what was
// written before, and is reported. Each change is noted before it is made.
#include "install/Registration.h"

#include <memory>

#include "host/Unit_main.h"
#include "install/ProgramGroup.h"
#include "install/ProtectedUninstaller.h"
#include "install/RunChanges.h"
#include "install/Unit_sec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/ScopeExit.h"
#include "platform/ShellLink.h"
#include "setupdata/PayloadReader.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kDisplayName = "Korvello";
constexpr const char* kPublisher = "Lumenford";
constexpr const char* kUrlInfoAbout = "https://www.lumenford.com/korvello";
constexpr const char* kUninstaller = "Uninstall.exe";
constexpr const char* kCompatibilityKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
// The compatibility value is named after the product's own file name, whatever the run's target.
constexpr const char* kCompatibilityFile = "KORV.exe";
constexpr const char* kCompatibilityLayer = "~ DPIUNAWARE";
constexpr std::size_t kProgramManagerCommandLimit = 256;

AnsiString Quoted(const AnsiString& text) { return "\"" + text + "\""; }

// One value written, as the log shows it: root, key, name ("(default)" for the key's own), data.
void LogValue(const platform::Registry& registry, const AnsiString& key, const AnsiString& name,
              const AnsiString& data) {
  const char* root = registry.GetRootKey() == platform::RootKey::ClassesRoot ? "HKEY_CLASSES_ROOT"
                                                                             : "HKEY_CURRENT_USER";
  Formain->LogLine(Format("registry %s\\%s: %s = %s", root, key.c_str(),
                          name.empty() ? "(default)" : name.c_str(), data.c_str()));
}

// Writes a string value of the open key and logs it.
void WriteLogged(RunChanges& changes, platform::Registry& registry, const AnsiString& key,
                 const AnsiString& name, const AnsiString& value) {
  changes.BeforeValueWrite(registry, key, name);
  registry.WriteString(name, value);
  LogValue(registry, key, name, value);
}

void WriteLogged(RunChanges& changes, platform::Registry& registry, const AnsiString& key,
                 const AnsiString& name, std::uint32_t value) {
  changes.BeforeValueWrite(registry, key, name);
  registry.WriteInteger(name, value);
  LogValue(registry, key, name, Format("%u (DWORD)", value));
}

// Opens key with creation; the keys made on the way are noted first.
void OpenKeyCreating(RunChanges& changes, platform::Registry& registry, const AnsiString& key) {
  changes.BeforeKeyCreate(registry, key);
  registry.OpenKey(key, true);
}

// Opens key with creation, writes one string value and closes the key again.
void WriteKeyValue(RunChanges& changes, platform::Registry& registry, const AnsiString& key,
                   const AnsiString& name, const AnsiString& value) {
  OpenKeyCreating(changes, registry, key);
  WriteLogged(changes, registry, key, name, value);
  registry.CloseKey();
}

std::uint32_t KilobytesRoundedUp(std::uint64_t bytes) {
  return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

}  // namespace

const char* const kUninstallEntryKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";

std::vector<AnsiString> UninstallEntryValueNames() {
  return {"displayname",     "Publisher",       "DisplayVersion",
          "URLInfoAbout",    "uninstallstring", "QuietUninstallString",
          "InstallLocation", "DisplayIcon",     "NoModify",
          "NoRepair",        "EstimatedSize"};
}

AnsiString DisplayVersionOf(const AnsiString& serial) {
  AnsiString version;
  for (std::size_t at = 0; at < serial.size(); at += 2) {
    AnsiString component = serial.substr(at, 2);
    if (component.size() == 2 && component[0] == '0') component.erase(0, 1);
    if (!version.empty()) version += '.';
    version += component;
  }
  return version;
}

AnsiString ProgramManagerCommand(const char* verb, std::initializer_list<AnsiString> arguments) {
  AnsiString command = AnsiString("[") + verb + "(";
  bool first = true;
  for (const AnsiString& argument : arguments) {
    if (!first) command += ',';
    first = false;
    command += '"';
    // A CP936 trail byte is never 0x22, so dropping that byte never splits a character.
    for (char c : argument) {
      if (c != '"') command += c;
    }
    command += '"';
  }
  command += ")]";
  return command.size() > kProgramManagerCommandLimit ? AnsiString() : command;
}

AnsiString FolderOf(const AnsiString& path) {
  const std::size_t backslash = LastDelimiter(path, "\\");
  return backslash == AnsiString::npos ? AnsiString() : path.substr(0, backslash + 1);
}

void TFormsec::WriteUninstallEntry(std::unique_ptr<PayloadReader> reader) {
  platform::Registry& registry = *FormSchedule->SharedRegistry;
  // The reader and the key are given back however the step ends.
  const auto release = platform::MakeScopeExit([&registry, &reader] {
    reader.reset();
    registry.CloseKey();
  });
  const AnsiString& folder = Formain->InstallFolder;
  RunChanges& changes = *changes_;
  // The entry starts the copy only administrators can change; without its folder, the one in
  // the install folder.
  reader->Open("uninstall", "exename");
  AnsiString why;
  protectedUninstaller_ = EnsureProtectedUninstallFolder(&why);
  if (protectedUninstaller_) {
    changes.BeforeOutsideWrite(ProtectedUninstallerPath());
    reader->SaveToFile(ProtectedUninstallerPath());
    Formain->LogLine("file " + ProtectedUninstallerPath());
  } else {
    Formain->LogLine("uninstaller: no protected copy, " + why);
  }
  const AnsiString uninstaller =
      protectedUninstaller_ ? ProtectedUninstallerPath() : folder + kUninstaller;
  registry.CloseKey();
  OpenKeyCreating(changes, registry, kUninstallEntryKey);
  WriteLogged(changes, registry, kUninstallEntryKey, "displayname", kDisplayName);
  WriteLogged(changes, registry, kUninstallEntryKey, "Publisher", kPublisher);
  WriteLogged(changes, registry, kUninstallEntryKey, "DisplayVersion",
              DisplayVersionOf(Formain->VersionSerial));
  WriteLogged(changes, registry, kUninstallEntryKey, "URLInfoAbout", kUrlInfoAbout);
  // Quoted, so that a folder with spaces never makes Windows guess which program is meant.
  WriteLogged(changes, registry, kUninstallEntryKey, "uninstallstring", Quoted(uninstaller));
  WriteLogged(changes, registry, kUninstallEntryKey, "QuietUninstallString",
              Quoted(uninstaller) + " /S");
  WriteLogged(changes, registry, kUninstallEntryKey, "InstallLocation", folder);
  WriteLogged(changes, registry, kUninstallEntryKey, "DisplayIcon",
              Quoted(folder + TargetName) + ",0");
  WriteLogged(changes, registry, kUninstallEntryKey, "NoModify", std::uint32_t{1});
  WriteLogged(changes, registry, kUninstallEntryKey, "NoRepair", std::uint32_t{1});
  std::uint64_t installed = reader->Size();
  for (const auto& file : installedBytes_) {
    if (file.first != kUninstaller) installed += file.second;
  }
  WriteLogged(changes, registry, kUninstallEntryKey, "EstimatedSize",
              KilobytesRoundedUp(installed));
  WriteEntry(*reader, kUninstaller, "uninstall", "exename");
}

void TFormsec::CreateShortcut() {
  const AnsiString path = Formain->InstallFolder + TargetName;
  platform::ShellLink link;
  link.SetPath(path);
  link.SetWorkingDirectory(FolderOf(path));
  if (!CreateDesktopShortcut) {
    Formain->LogLine("shortcut: not asked for");
    return;
  }
  const AnsiString desktop = platform::CommonDesktopFolder();
  // Without a desktop folder there is no place for the link; the run goes on without it.
  if (desktop.empty()) {
    Formain->LogLine("shortcut: the system names no common desktop folder");
    return;
  }
  const AnsiString name = Formain->ReadSetupValue("Form", "desKtopLink");
  const AnsiString file = desktop + name;
  changes_->BeforeOutsideWrite(file);
  const bool saved = link.Save(file);
  Formain->LogLine(Format("shortcut %s -> %s: %s", file.c_str(), path.c_str(),
                          saved ? "written" : "could not be written"));
  // A shortcut that cannot be saved fails the step like the other steps.
  if (!saved) throw EFCreateError(Format("Cannot create file \"%s\".", file.c_str()));
  // The link's name as the record keeps it: straight in the desktop folder, or not at all.
  const AnsiString linkName = !name.empty() && name[0] == '\\' ? name.substr(1) : name;
  record_.shortcut = LastDelimiter(linkName, "\\") == AnsiString::npos ? linkName : AnsiString();
}

void TFormsec::CreateProgramGroup() {
  const AnsiString caption = FormSchedule->Caption();
  const std::vector<ProgramGroupItem> items = ItemsWhoseFilesExist(
      ProgramGroupItemsOf(Formain->InstallFolder, TargetName, caption,
                          protectedUninstaller_ ? ProtectedUninstallerPath() : AnsiString()));
  // The group of an earlier installation stays, whatever becomes of this run.
  if (!earlierInstallation_) changes_->BeforeProgramGroup(caption);
  if (!AskProgramManagerForGroup(*FormSchedule->DdeClientConv1, caption, items)) {
    Formain->LogLine("program group: made as a folder of links instead");
    MakeProgramGroupFolder(caption, items, *changes_);
  }
  record_.programGroup = caption;
}

void TFormsec::RegisterProduct(const AnsiString& extension, const AnsiString& keyPath,
                               int iconIndex, const AnsiString& targetPath,
                               const AnsiString& caption) {
  RunChanges& changes = *changes_;
  platform::Registry registry;
  registry.SetRootKey(platform::RootKey::ClassesRoot);
  WriteKeyValue(changes, registry, extension, "", keyPath);
  WriteKeyValue(changes, registry, keyPath, "", caption);
  WriteKeyValue(changes, registry, keyPath + "\\DefaultIcon", "",
                targetPath + Format(",%d", iconIndex));
  WriteKeyValue(changes, registry, keyPath + "\\Shell\\Open", "", "&Open");
  // Both quoted: a folder with spaces must not make Windows guess the program, nor split the
  // document's path.
  WriteKeyValue(changes, registry, keyPath + "\\Shell\\Open\\Command", "",
                Quoted(targetPath) + " " + Quoted("%1"));
  platform::NotifyAssociationsChanged();

  registry.SetRootKey(platform::RootKey::CurrentUser);
  WriteKeyValue(changes, registry, keyPath + "\\Shell\\PathName", "Path", FolderOf(targetPath));
  WriteKeyValue(changes, registry, keyPath + "\\Shell\\Serial", "Serial",
                Formain->ReadSetupValue("Form", "Serial"));
  WriteKeyValue(changes, registry, keyPath + "\\Shell\\Version", "Version",
                Formain->ReadSetupValue("Form", "Version"));
  WriteKeyValue(changes, registry, kCompatibilityKey, Formain->InstallFolder + kCompatibilityFile,
                kCompatibilityLayer);
}
