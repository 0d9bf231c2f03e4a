// The whole sample product installed on the simulated machine: the module carries exactly the
// product's payload (its manifest, configuration and licence included), the user takes the
// default choices, and every file the manifest lists arrives byte for byte at its path below the
// install folder, Chinese and spaced names included.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "install/InstallFixture.h"

namespace {

// Assembled by the build from product/ (tests/CMakeLists.txt).
constexpr const char* kSampleProductFolder = KORV_SAMPLE_PRODUCT_DIR;
constexpr const char* kManifestFile = "Setup.log";
constexpr const char* kConfigurationFile = "Setup.ini";
constexpr const char* kOptionsFile = "Options.ini";
constexpr const char* kUninstaller = "Uninstall.exe";
constexpr const char* kMainProgram = "KORV.exe";

// The two programs only MinGW builds; the module carries distinct stand-ins in their place.
const std::map<std::string, std::string>& ProgramStandIns() {
  static const std::map<std::string, std::string> standIns = {
      {kMainProgram, "MZ stand-in for the sample program"},
      {kUninstaller, "MZ stand-in for the uninstaller"}};
  return standIns;
}

// The host file of a product file named by its manifest path (CP936, backslashes).
std::filesystem::path ProductHostPath(const std::string& manifestPath) {
  std::string host = sim::Utf8(manifestPath);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(kSampleProductFolder) / host;
}

bool ReadHostFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return false;
  bytes.resize(size);
  return static_cast<bool>(in.read(bytes.data(), static_cast<std::streamsize>(size)));
}

// Why actual is not expected, in one line; empty when they are the same bytes.
std::string Difference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return {};
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  std::ostringstream out;
  out << actual.size() << " bytes instead of " << expected.size() << ", first difference at byte "
      << at;
  return out.str();
}

class SampleProductTest : public InstallFixture {
 protected:
  // The module is made here from the product alone. SetupFixture::SetUp would put its own
  // licence text ahead of the product's entry of that name (the first match wins), so this
  // fixture skips it and arranges the rest of the machine as InstallFixture does.
  void SetUp() override {
    SimTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(LoadProduct());
    Machine().Files().MapDrive('D', Root() / "D");
    for (const Entry& entry : product_)
      Machine().Module().AddResource(entry.name, entry.type, entry.bytes);
    // The payload sums as the packer carries them in the real setup.
    Machine().Module().AddResource(PayloadSums::kEntryName, PayloadSums::kEntryType,
                                   PayloadSumsOf(product_));
    std::filesystem::create_directories(HostPath(kDesktop));
  }

  std::string Manifest() const override { return manifest_; }
  std::string Configuration() const override { return configuration_; }

  const std::vector<Entry>& Product() const { return product_; }
  const Entry& EntryAt(const std::string& path) const {
    for (const Entry& entry : product_) {
      if (entry.path == path) return entry;
    }
    throw std::logic_error("the manifest does not list " + path);
  }

 private:
  // One entry per manifest line with the bytes of its file; fails on a line or file it cannot
  // take, naming it.
  void LoadProduct() {
    const std::filesystem::path folder(kSampleProductFolder);
    ASSERT_TRUE(ReadHostFile(folder / kManifestFile, manifest_)) << folder / kManifestFile;
    ASSERT_TRUE(ReadHostFile(folder / kConfigurationFile, configuration_))
        << folder / kConfigurationFile;
    std::size_t start = 0;
    int number = 0;
    while (start < manifest_.size()) {
      std::size_t end = manifest_.find("\r\n", start);
      if (end == std::string::npos) end = manifest_.size();
      ASSERT_NO_FATAL_FAILURE(AddEntry(manifest_.substr(start, end - start), ++number));
      start = end + 2;
    }
    ASSERT_GT(product_.size(), ProgramStandIns().size()) << "an empty manifest";
  }

  // "name type path": the path is the rest of the line and may hold spaces.
  void AddEntry(const std::string& line, int number) {
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    ASSERT_NE(second, std::string::npos) << "manifest line " << number << ": " << sim::Utf8(line);
    Entry entry{line.substr(0, first),
                line.substr(first + 1, second - first - 1),
                line.substr(second + 1),
                {}};
    const auto standIn = ProgramStandIns().find(entry.path);
    if (standIn != ProgramStandIns().end()) {
      entry.bytes = standIn->second;
    } else {
      const std::filesystem::path host = ProductHostPath(entry.path);
      ASSERT_TRUE(ReadHostFile(host, entry.bytes))
          << "manifest line " << number << ": no product file " << host;
    }
    product_.push_back(std::move(entry));
  }

  std::vector<Entry> product_;
  std::string manifest_;
  std::string configuration_;
};

TEST_F(SampleProductTest, InstallsEveryManifestFileByteForByteWithTheDefaultChoices) {
  // The licence page shows the product's own licence, staged from its entry.
  const std::string licence = EntryAt("用户授权协议.txt").bytes;
  ASSERT_GE(licence.size(), 2u);
  ASSERT_EQ(licence.substr(licence.size() - 2), "\r\n");
  ScriptWaitForWizard();
  User().Click("BtnNext");
  Check(
      [&] {
        ASSERT_EQ(Page(), 1);
        const std::string difference =
            Difference(licence.substr(0, licence.size() - 2), Wizard().Memo1->Text());
        EXPECT_TRUE(difference.empty()) << "the licence page shows " << difference;
      },
      "the licence page");
  User().Click("BtnNext").Click("BtnNext").Click("BtnNext");
  ScriptWaitForFinishPage();
  Check(
      [&] {
        ASSERT_TRUE(Formain);
        EXPECT_EQ(Utf8(Formain->InstallFolder), Utf8(kDefaultFolder));
        EXPECT_TRUE(Progress()->RunComplete);
        for (const Entry& entry : Product()) {
          const AnsiString installed = AnsiString(kDefaultFolder) + entry.path;
          if (!Exists(installed)) {
            ADD_FAILURE() << Utf8(entry.path) << " (" << entry.name << ") is not installed";
            continue;
          }
          const std::string difference = Difference(entry.bytes, ReadFile(installed));
          EXPECT_TRUE(difference.empty()) << Utf8(entry.path) << " (" << entry.name
                                          << ") differs from the product: " << difference;
        }
      },
      "every file at the finish page");
  User().Click("BtnNext");
  RunWholeSetup();

  EXPECT_TRUE(App().Terminated());
  std::ostringstream dialogs;
  for (const sim::DialogRecord& dialog : User().Dialogs()) dialogs << sim::Describe(dialog) << "\n";
  EXPECT_TRUE(User().Dialogs().empty()) << "the run reported:\n" << dialogs.str();

  // Finishing with "run the product" marks the options for the product's first start.
  std::string expectedOptions = EntryAt(kOptionsFile).bytes;
  const std::string shipped = "\r\nReset=0\r\n";
  const std::size_t reset = expectedOptions.find(shipped);
  ASSERT_NE(reset, std::string::npos) << "the product's Options.ini has no Reset=0 line";
  expectedOptions.replace(reset, shipped.size(), "\r\nReset=88\r\n");
  const std::string options = Installed(kOptionsFile);
  EXPECT_EQ(options, expectedOptions) << Difference(expectedOptions, options);

  EXPECT_EQ(Installed(kUninstaller), ProgramStandIns().at(kUninstaller));
  ASSERT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u);
  EXPECT_EQ(Utf8(Machine().Shell().ShellExecuteLog()[0].file), Utf8(kDefaultFolder) + kMainProgram);
}

}  // namespace
