// The check for a copy of the product installed earlier by this setup, at the wizard's
// activation, and the install folder's first value.
#include "host/Unit_main.h"
#include "platform/Conversions.h"
#include "platform/Files.h"
#include "platform/gui/Application.h"
#include "platform/gui/Edit.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kSerialKey = "Software\\KORVL\\Shell\\Serial";
constexpr const char* kPathKey = "Software\\KORVL\\Shell\\PathName";
constexpr const char* kInstalledExecutable = "KORV.exe";

AnsiString ReinstallPrompt(const AnsiString& caption) {
  return caption + "已经安装，要再次安装吗？\r\r" +
         "若选择再次安装，请注意备份原软件中的数据资料，以免丢失宝贵数据。\r" +
         "备份方法：退出本安装程序，运行Korvello，点击窗口顶行“文件”菜\r" +
         "单，选择“另存为”保存数据到U盘，或其它熟悉的文件夹中。\r\r" +
         "    按 [Yes] 按钮再次安装；按 [No] 结束\r";
}

constexpr const char* kOlderVersionPrompt =
    "您正在安装的是一个旧版本，要继续安装吗？\r\r"
    "    按 [Yes] 按钮继续安装；按 [No] 结束\r";

// The keys on the way to key (key itself last) that are missing now.
void NoteMissingKeys(platform::Registry& registry, const AnsiString& key,
                     std::vector<AnsiString>& made) {
  for (std::size_t at = 0; at <= key.size(); ++at) {
    if (at < key.size() && key[at] != '\\') continue;
    const AnsiString path = key.substr(0, at);
    if (!path.empty() && !registry.KeyExists(path)) made.push_back(path);
  }
}

// One string value of a key below HKEY_CURRENT_USER, the key created when missing (and noted).
AnsiString ReadProductValue(platform::Registry& registry, const AnsiString& key,
                            const AnsiString& name, std::vector<AnsiString>& made) {
  NoteMissingKeys(registry, key, made);
  registry.OpenKey(key, true);
  const AnsiString value = registry.ReadString(name);
  registry.CloseKey();
  return value;
}

}  // namespace

InstalledCopy TFormSchedule::FindInstalledCopy(AnsiString& installedFolder) {
  Formain->VersionSerial = Formain->ReadSetupValue("Form", "Serial");
  AnsiString installedSerial;
  AnsiString installedPath;
  {
    // An accessor of the check's own, released here whatever happens.
    platform::Registry registry;
    KeysMadeByCheck.clear();
    installedSerial = ReadProductValue(registry, kSerialKey, "Serial", KeysMadeByCheck);
    installedPath = ReadProductValue(registry, kPathKey, "Path", KeysMadeByCheck);
  }
  if (installedSerial.empty() || installedPath.empty() ||
      !platform::FileExists(installedPath + kInstalledExecutable)) {
    return InstalledCopy::None;
  }
  installedFolder = installedPath;
  const int setupSerial = StrToInt(Formain->VersionSerial);
  const double recordedSerial = StrToFloat(installedSerial);
  if (setupSerial == recordedSerial) return InstalledCopy::SameVersion;
  return setupSerial < recordedSerial ? InstalledCopy::NewerVersion : InstalledCopy::OlderVersion;
}

void TFormSchedule::CheckExistingInstallation() {
  AnsiString installedFolder;
  const InstalledCopy installed = FindInstalledCopy(installedFolder);
  AnsiString prompt;
  if (installed == InstalledCopy::SameVersion) {
    prompt = ReinstallPrompt(Caption());
  } else if (installed == InstalledCopy::NewerVersion) {
    prompt = kOlderVersionPrompt;
  }
  if (!prompt.empty()) {
    const int answer = gui::Application::Instance().MessageDlg(
        prompt, gui::DialogType::Confirmation, gui::dlg::kYes | gui::dlg::kNo);
    if (answer == gui::idNo) Formain->Close();
  }
  Formain->InstallFolder = Formain->ReadSetupValue("SetupDir", "SetupPath") + "\\";
  Edit_Path->SetText(Formain->InstallFolder);
}
