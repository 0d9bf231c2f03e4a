// Entries carried compressed: the run writes each one's file byte for byte, raw entries beside
// them as before, and an entry whose bytes do not make its file ends the run with the error
// report, undone like any failed run.
#include <functional>
#include <string>

#include "install/InstallFixture.h"
#include "support/TestNames.h"
#include "support/ZstdFrame.h"

namespace {

constexpr const char* kUninstallKey =
    "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello";

// Larger than the decoder's pieces, so that a file is written in several of them.
std::string Records() {
  std::string bytes;
  for (int record = 0; bytes.size() < 700000; ++record) {
    bytes += "record " + std::to_string(record) + " 科沃洛 " + std::to_string(record * 7919 % 1000);
    bytes.append(37 - bytes.size() % 37, ' ');
  }
  return bytes;
}

// One zstd frame of the bytes.
std::string FrameOf(const std::string& bytes) { return support::ZstdFrameOf(bytes); }

class CompressedPayloadTest : public InstallFixture {
 public:
  CompressedPayloadTest() { UseProduct(CompressedProduct()); }

 protected:
  static std::vector<Entry> CompressedProduct() {
    return {
        {"FileExe", "exename", "KORV.exe", "MZ the main program" + std::string(5000, 'x'), true},
        {"uninstall", "exename", "Uninstall.exe", "MZ the uninstaller", false},
        {"FileTxt1", "txtname", "ReadMe.txt", "自述\r\n", false},
        {"FileBmp1", "bmpname", "SdbFile\\Image\\Move1.BMP", std::string(3000, 'B'), true},
        {"FileDat1", "datname", "SdbFile\\Base.dat", Records(), true},
        {"FileEmp1", "datname", "SdbFile\\Empty.dat", "", true}};
  }
};

TEST_F(CompressedPayloadTest, EveryFileIsWrittenByteForByte) {
  RunWholeInstallation([&] { Check([&] { EXPECT_TRUE(Progress()->RunComplete); }); });
  for (const Entry& entry : CompressedProduct()) {
    EXPECT_EQ(Installed(entry.path), entry.bytes) << entry.path;
  }
  EXPECT_TRUE(Machine().Registry().KeyExists(platform::RootKey::CurrentUser, kUninstallKey));
}

struct DamageCase {
  const char* what;
  std::function<void(std::string&)> damage;
};

class DamagedEntryTest : public CompressedPayloadTest,
                         public ::testing::WithParamInterface<DamageCase> {
 public:
  DamagedEntryTest() { DamageStoredEntry("FileDat1", GetParam().damage); }
};

TEST_P(DamagedEntryTest, EndsTheRunWithTheErrorReportAndUndoesWhatWasWritten) {
  RunWizard(
      [&] {
        ScriptStartInstallation();
        User().ExpectErrorReport("Resource FileDat1 is damaged");
        User().WaitUntil([&] { return Progress() && !Progress()->RunActive(); },
                         "the run has stopped");
        Check([&] { EXPECT_FALSE(Progress()->RunComplete); }, "the stopped run");
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), "退出安装",
                                                "安装程序进行中,确定要退出安装吗?", 0x1, gui::idOk);
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\KORV.exe"));
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\SdbFile\\Base.dat"));
  EXPECT_FALSE(Exists("D:\\Program Files")) << "the folders the run made are removed";
  EXPECT_FALSE(Machine().Registry().KeyExists(platform::RootKey::CurrentUser, kUninstallKey));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedEntryTest,
    ::testing::Values(
        DamageCase{"a byte changed inside the frame",
                   [](std::string& frame) { frame[frame.size() / 2] ^= 0x10; }},
        DamageCase{"the frame cut short",
                   [](std::string& frame) { frame.resize(frame.size() / 2); }},
        DamageCase{"the frame without its last byte", [](std::string& frame) { frame.pop_back(); }},
        DamageCase{"bytes after the frame", [](std::string& frame) { frame += "tail"; }},
        DamageCase{"another file's frame",
                   [](std::string& frame) { frame = FrameOf(Records() + "!"); }},
        DamageCase{"not a frame at all", [](std::string& frame) { frame.assign(100, 'z'); }},
        DamageCase{"a byte of the checksum changed",
                   [](std::string& frame) { frame.back() ^= 0x01; }},
        // The same file, decoding to the right size, but with nothing to check it against.
        DamageCase{"the same file's frame without a checksum",
                   [](std::string& frame) {
                     const std::string records = Records();
                     frame.assign(ZSTD_compressBound(records.size()), '\0');
                     frame.resize(ZSTD_compress(frame.data(), frame.size(), records.data(),
                                                records.size(), 1));
                   }}),
    test_names::From(&DamageCase::what));

}  // namespace
