// The four registration steps of the installation run: the uninstall entry with the
// uninstaller, the desktop shortcut, the Program Manager group, and the document type with the
// product keys. None of them catches an error: an error ends the run and is reported, and what
// was written before stays.
#include "install/Registration.h"

#include <memory>

#include "host/Unit_main.h"
#include "install/Unit_sec.h"
#include "platform/Registry.h"
#include "platform/ScopeExit.h"
#include "platform/ShellLink.h"
#include "platform/gui/DdeClientConv.h"
#include "setupdata/PayloadReader.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";
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

// Opens key with creation, writes one string value and closes the key again.
void WriteKeyValue(platform::Registry& registry, const AnsiString& key, const AnsiString& name,
                   const AnsiString& value) {
  registry.OpenKey(key, true);
  registry.WriteString(name, value);
  registry.CloseKey();
}

std::uint32_t KilobytesRoundedUp(std::uint64_t bytes) {
  return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

}  // namespace

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
  const AnsiString uninstaller = folder + kUninstaller;
  registry.CloseKey();
  registry.OpenKey(kUninstallKey, true);
  registry.WriteString("displayname", kDisplayName);
  registry.WriteString("Publisher", kPublisher);
  registry.WriteString("DisplayVersion", DisplayVersionOf(Formain->VersionSerial));
  registry.WriteString("URLInfoAbout", kUrlInfoAbout);
  // Quoted, so that a folder with spaces never makes Windows guess which program is meant.
  registry.WriteString("uninstallstring", Quoted(uninstaller));
  registry.WriteString("InstallLocation", folder);
  registry.WriteString("DisplayIcon", Quoted(folder + TargetName) + ",0");
  registry.WriteInteger("NoModify", 1);
  registry.WriteInteger("NoRepair", 1);
  reader->Open("uninstall", "exename");
  installedBytes_[kUninstaller] = reader->Size();
  std::uint64_t installed = 0;
  for (const auto& file : installedBytes_) installed += file.second;
  registry.WriteInteger("EstimatedSize", KilobytesRoundedUp(installed));
  reader->SaveToFile(uninstaller);
}

void TFormsec::CreateShortcut() {
  const AnsiString path = Formain->InstallFolder + TargetName;
  platform::ShellLink link;
  link.SetPath(path);
  link.SetWorkingDirectory(FolderOf(path));
  if (!CreateDesktopShortcut) return;
  const AnsiString desktop = platform::CommonDesktopFolder();
  // Without a desktop folder there is no place for the link; the run goes on without it.
  if (desktop.empty()) return;
  link.Save(desktop + Formain->ReadSetupValue("Form", "desKtopLink"));
}

void TFormsec::CreateProgramGroup() {
  gui::DdeClientConv& conversation = *FormSchedule->DdeClientConv1;
  const AnsiString& folder = Formain->InstallFolder;
  const AnsiString caption = FormSchedule->Caption();
  conversation.SetLink("ProgMan", "ProgMan");
  if (conversation.OpenLink()) {
    const AnsiString commands[] = {
        ProgramManagerCommand("creategroup", {caption, caption}),
        ProgramManagerCommand("additem", {folder + TargetName, caption}),
        ProgramManagerCommand("additem", {folder + kUninstaller, "卸载" + caption}),
        ProgramManagerCommand("additem", {folder + "help.chm", "使用说明"}),
        ProgramManagerCommand("additem", {folder + "用户授权协议.txt", "用户授权协议"}),
    };
    // A command too long for Program Manager is left out; that item is then missing.
    for (const AnsiString& command : commands) {
      if (!command.empty()) conversation.ExecuteMacro(command, false);
    }
  }
  conversation.CloseLink();
}

void TFormsec::RegisterProduct(const AnsiString& extension, const AnsiString& keyPath,
                               int iconIndex, const AnsiString& targetPath,
                               const AnsiString& caption) {
  platform::Registry registry;
  registry.SetRootKey(platform::RootKey::ClassesRoot);
  WriteKeyValue(registry, extension, "", keyPath);
  WriteKeyValue(registry, keyPath, "", caption);
  WriteKeyValue(registry, keyPath + "\\DefaultIcon", "", targetPath + Format(",%d", iconIndex));
  WriteKeyValue(registry, keyPath + "\\Shell\\Open", "", "&Open");
  // Both quoted: a folder with spaces must not make Windows guess the program, nor split the
  // document's path.
  WriteKeyValue(registry, keyPath + "\\Shell\\Open\\Command", "",
                Quoted(targetPath) + " " + Quoted("%1"));
  platform::NotifyAssociationsChanged();

  registry.SetRootKey(platform::RootKey::CurrentUser);
  WriteKeyValue(registry, keyPath + "\\Shell\\PathName", "Path", FolderOf(targetPath));
  WriteKeyValue(registry, keyPath + "\\Shell\\Serial", "Serial",
                Formain->ReadSetupValue("Form", "Serial"));
  WriteKeyValue(registry, keyPath + "\\Shell\\Version", "Version",
                Formain->ReadSetupValue("Form", "Version"));
  WriteKeyValue(registry, kCompatibilityKey, Formain->InstallFolder + kCompatibilityFile,
                kCompatibilityLayer);
}
