// The record of a completed run, and the message naming the files the run kept because the
// user changed them since the earlier installation.
#include <algorithm>

#include "host/Unit_main.h"
#include "install/ProtectedUninstaller.h"
#include "install/RunChanges.h"
#include "install/Unit_sec.h"
#include "platform/gui/Application.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kKeptFilesTitle = "保留的文件";
constexpr const char* kKeptFilesText =
    "以下文件在上次安装后被您修改过，安装程序保留了它们，没有覆盖：";
constexpr std::size_t kKeptFilesShown = 5;

// path relative to folder (both in the run's spelling); nothing when it is not below it.
std::optional<AnsiString> RelativeTo(const AnsiString& folder, const AnsiString& path) {
  if (path.size() <= folder.size() || !SameTextAscii(path.substr(0, folder.size()), folder))
    return std::nullopt;
  return path.substr(folder.size());
}

bool SameValue(const RecordedValue& a, const RecordedValue& b) {
  return a.root == b.root && SameTextAscii(a.key, b.key) && SameTextAscii(a.name, b.name);
}

bool SameKey(const RecordedKey& a, const RecordedKey& b) {
  return a.root == b.root && SameTextAscii(a.key, b.key);
}

std::optional<platform::RawValue> CurrentValue(const RecordedValue& value) {
  platform::Registry registry;
  registry.SetRootKey(value.root);
  if (!registry.OpenKey(value.key, false)) return std::nullopt;
  return registry.ReadRaw(value.name);
}

// What the run made (folders below the install folder, keys, values), in the order it made
// them, after what an earlier installation made: the record names everything the setups made.
void AddChanges(const AnsiString& installFolder, const std::vector<RunChange>& changes,
                InstallRecord& record) {
  for (const RunChange& change : changes) {
    if (change.kind == RunChange::Kind::Folder) {
      if (SameTextAscii(change.path + "\\", installFolder)) {
        record.madeInstallFolder = true;
      } else if (const auto relative = RelativeTo(installFolder, change.path)) {
        record.folders.push_back(*relative);
      }
    } else if (change.kind == RunChange::Kind::Key) {
      const RecordedKey key{change.root, change.path};
      bool known = false;
      for (const RecordedKey& recorded : record.keys) known = known || SameKey(recorded, key);
      if (!known) record.keys.push_back(key);
    } else if (change.kind == RunChange::Kind::Value) {
      RecordedValue value;
      value.root = change.root;
      value.key = change.path;
      value.name = change.name;
      value.before = change.before;
      const auto written = CurrentValue(value);
      if (!written) continue;
      value.written = *written;
      bool known = false;
      for (RecordedValue& recorded : record.values) {
        if (!SameValue(recorded, value)) continue;
        // What it held before the first installation stays the value to go back to.
        recorded.written = value.written;
        known = true;
      }
      if (!known) record.values.push_back(value);
    }
  }
}

}  // namespace

void TFormsec::WriteRecord() {
  const AnsiString& folder = Formain->InstallFolder;
  InstallRecord record;
  record.version = record_.version;
  if (earlierRecord_) {
    record.madeInstallFolder = earlierRecord_->madeInstallFolder;
    record.folders = earlierRecord_->folders;
    record.keys = earlierRecord_->keys;
    record.values = earlierRecord_->values;
  }
  // The check for an installed copy made the product's keys before the run began.
  for (const AnsiString& key : FormSchedule->KeysMadeByCheck) {
    const RecordedKey made{platform::RootKey::CurrentUser, key};
    if (std::none_of(record.keys.begin(), record.keys.end(),
                     [&made](const RecordedKey& known) { return SameKey(known, made); }))
      record.keys.push_back(made);
  }
  AddChanges(folder, changes_->Changes(), record);
  record.files = record_.files;
  record.shortcut = record_.shortcut;
  record.programGroup = record_.programGroup;
  if (earlierRecord_) {
    if (record.shortcut.empty()) record.shortcut = earlierRecord_->shortcut;
    if (record.programGroup.empty()) record.programGroup = earlierRecord_->programGroup;
  }
  changes_->BeforeWrite(folder + kInstallRecordFileName);
  WriteInstallRecord(folder, record);
  // The protected uninstaller acts on its own copy of the record.
  if (protectedUninstaller_) {
    changes_->BeforeOutsideWrite(ProtectedRecordPath());
    changes_->BeforeOutsideWrite(ProtectedInstallFolderPath());
    KeepProtectedRecord(folder);
  }
  Formain->LogLine(Format("record %s%s: %u files", folder.c_str(), kInstallRecordFileName,
                          static_cast<unsigned>(record.files.size())));
}

AnsiString KeptFilesMessage(const AnsiString& folder, const std::vector<AnsiString>& kept) {
  AnsiString text = AnsiString(kKeptFilesText) + "\r";
  for (std::size_t index = 0; index < kept.size() && index < kKeptFilesShown; ++index) {
    text += "\r" + folder + kept[index];
  }
  if (kept.size() > kKeptFilesShown) {
    text += Format("\r……另有 %u 个文件", static_cast<unsigned>(kept.size() - kKeptFilesShown));
  }
  return text;
}

void TFormsec::ShowKeptFiles() {
  if (keptFiles_.empty() || Formain->Silent()) return;
  gui::Application::Instance().MessageBox(KeptFilesMessage(Formain->InstallFolder, keptFiles_),
                                          kKeptFilesTitle, gui::mb::kOk | gui::mb::kIconInformation,
                                          FormSchedule);
}
