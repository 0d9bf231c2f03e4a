#pragma once
// The whole setup on a simulated machine whose module carries a small product: the user walks
// the wizard to the confirmation page and starts the installation, which runs in the progress
// window; the test then finishes the setup or inspects where the run stopped.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <zstd.h>

#include "install/Unit_sec.h"
#include "platform/gui/ProgressBar.h"
#include "setupdata/PayloadSums.h"
#include "setupdata/Sha256.h"
#include "support/ZstdFrame.h"
#include "wizard/WizardFixture.h"

class InstallFixture : public WizardFixture {
 protected:
  static constexpr const char* kDefaultFolder = "D:\\Program Files\\Korvl280\\";
  static constexpr const char* kDesktop = "C:\\Users\\Public\\Desktop";
  // The uninstaller's copy in the folder only administrators can change.
  static constexpr const char* kProtectedUninstaller =
      "C:\\ProgramData\\KorvelloSetup\\Uninstall\\Uninstall.exe";

  // One payload entry of the product and the manifest line that names it.
  struct Entry {
    std::string name;
    std::string type;
    std::string path;  // install-relative
    std::string bytes;
    // Carried as one zstd frame, as the packer carries a file that compresses.
    bool compressed = false;
  };

  // The product the module carries: the main executable, the uninstaller, a text at the top
  // and a picture two new folders down.
  static std::vector<Entry> SmallProduct() {
    return {{"FileExe", "exename", "KORV.exe", "MZ the main program"},
            {"uninstall", "exename", "Uninstall.exe", "MZ the uninstaller"},
            {"FileTxt1", "txtname", "ReadMe.txt", "自述\r\n"},
            {"FileBmp1", "bmpname", "SdbFile\\Image\\Move1.BMP", std::string(3000, 'B')}};
  }

  // Call in the test fixture's constructor (before SetUp).
  void UseProduct(std::vector<Entry> entries) { entries_ = std::move(entries); }
  // The manifest as the module carries it; by default one line per entry, CR LF between them.
  void UseManifest(std::string manifest) { manifest_ = std::move(manifest); }
  // The module carries no payload sums, as a setup packed without them.
  void LeaveOutPayloadSums() {
    correctSums_ = false;
    sums_ = std::nullopt;
  }
  // The module carries this text as its payload sums (a damaged one, or other figures).
  void UsePayloadSums(std::string text) {
    correctSums_ = false;
    sums_ = std::move(text);
  }

  // The sums the packer carries for these entries: size and digest of each, and each path
  // written once in the total.
  // A damaged entry's stored size is that of its damaged bytes, so that the damage is found in
  // what it decodes to.
  static std::string PayloadSumsOf(
      const std::vector<Entry>& entries,
      const std::map<std::string, std::function<void(std::string&)>>& damaged = {}) {
    std::string text = "Korvello payload sums 2\r\n";
    std::map<std::string, std::uint64_t> written;
    for (const Entry& entry : entries) {
      std::string stored = StoredBytesOf(entry);
      const auto damage = damaged.find(entry.name);
      if (damage != damaged.end()) damage->second(stored);
      text += entry.name + " " + entry.type + " " + std::to_string(entry.bytes.size()) + " " +
              Sha256Hex(entry.bytes.data(), entry.bytes.size()) +
              (entry.compressed ? " zstd " : " raw ") + std::to_string(stored.size()) + "\r\n";
      std::string path = entry.path;
      for (char& c : path) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
      written[path] = entry.bytes.size();
    }
    std::uint64_t total = 0;
    for (const auto& file : written) total += file.second;
    return text + "total " + std::to_string(total) + "\r\n";
  }
  // The bytes the module carries for the entry: its file, or the zstd frame of it.
  static std::string StoredBytesOf(const Entry& entry) {
    if (!entry.compressed) return entry.bytes;
    return support::ZstdFrameOf(entry.bytes, 3);
  }
  // Call in the test fixture's constructor: the module carries the entry's stored bytes changed
  // by damage (after the sums are made from the intact ones).
  void DamageStoredEntry(std::string name, std::function<void(std::string&)> damage) {
    damaged_[std::move(name)] = std::move(damage);
  }

  // The bytes the payload sums give as the installed total; 0 without readable sums.
  std::uint64_t PayloadTotal() const {
    const auto sums = sums_ ? PayloadSums::Parse(*sums_) : std::nullopt;
    return sums ? sums->TotalBytes() : 0;
  }

  void SetUp() override {
    WizardFixture::SetUp();
    Machine().Files().MapDrive('D', Root() / "D");
    for (const Entry& entry : entries_) {
      std::string stored = StoredBytesOf(entry);
      const auto damage = damaged_.find(entry.name);
      if (damage != damaged_.end()) damage->second(stored);
      Machine().Module().AddResource(entry.name, entry.type, stored);
    }
    if (correctSums_) sums_ = PayloadSumsOf(entries_, damaged_);
    if (sums_) {
      Machine().Module().AddResource(PayloadSums::kEntryName, PayloadSums::kEntryType, *sums_);
    }
    std::filesystem::create_directories(HostPath(kDesktop));
  }

  std::string Manifest() const override {
    if (!manifest_.empty()) return manifest_;
    std::string manifest;
    for (const Entry& entry : entries_) {
      if (!manifest.empty()) manifest += "\r\n";
      manifest += entry.name + " " + entry.type + " " + entry.path;
    }
    return manifest;
  }

  TFormsec* Progress() {
    return dynamic_cast<TFormsec*>(Formain ? Formain->FindComponent("Formsec") : nullptr);
  }

  // Walks from the welcome page to the confirmation page and starts the installation there.
  void ScriptStartInstallation() {
    User().Click("BtnNext").Click("BtnNext").Click("BtnNext").Click("BtnNext");
  }
  // Holds the script back until the run has brought the wizard back on its finish page.
  void ScriptWaitForFinishPage() {
    User().WaitUntil(
        [&] { return FormSchedule && FormSchedule->Visible() && Page() == 5 && Progress(); },
        "the wizard is back on its finish page");
  }
  // Holds the script back until the run has stopped early: the progress window is up, its
  // run has returned and the wizard stays hidden.
  void ScriptWaitForStoppedRun() {
    User().WaitUntil([&] { return Progress() && Progress()->IsModal(); },
                     "the progress window is up");
  }

  // Installs the product with the default choices and ends the setup with "完毕".
  void RunWholeInstallation(const std::function<void()>& beforeFinish = {}) {
    RunWizard(
        [&] {
          ScriptStartInstallation();
          ScriptWaitForFinishPage();
          if (beforeFinish) beforeFinish();
          User().Click("BtnNext");
        },
        false);
  }

  std::string Installed(const std::string& relativePath, const char* folder = kDefaultFolder) {
    return ReadFile(AnsiString(folder) + relativePath);
  }

  // A registry value as the program wrote it; "" (and a failure) when it is missing.
  std::string RegistryString(platform::RootKey root, const AnsiString& key,
                             const AnsiString& name) {
    const auto value = Machine().Registry().GetValue(root, key, name);
    EXPECT_TRUE(value.has_value()) << Utf8(key) << " " << Utf8(name);
    return value ? Utf8(value->data) : std::string();
  }

 private:
  std::vector<Entry> entries_ = SmallProduct();
  std::string manifest_;
  // By default the correct sums of the entries, made at SetUp.
  bool correctSums_ = true;
  std::map<std::string, std::function<void(std::string&)>> damaged_;
  std::optional<std::string> sums_;
};
