// Payload entries: addressing without regard to case, the runtime's errors, whole-file saves,
// compressed entries.
#include <memory>
#include <string>

#include <zstd.h>

#include "platform/Errors.h"
#include "setupdata/PayloadReader.h"
#include "setupdata/Sha256.h"
#include "support/SimTest.h"
#include "support/TestNames.h"
#include "support/ZstdFrame.h"

namespace {

class PayloadReaderTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>((i * 7919) & 0xFF));
    content_ = bytes;
    Machine().Module().AddResource("FILEEXE", "EXENAME", content_);
    Machine().Module().AddResource("FILETXT7", "TXTNAME", "[Form]\r\n");
  }
  std::string content_;
};

TEST_F(PayloadReaderTest, OpensByNameAndTypeWithoutRegardToCase) {
  for (const auto& [name, type] : {std::pair{"FileExe", "exename"}, std::pair{"fileexe", "EXENAME"},
                                   std::pair{"FILEEXE", "ExeName"}}) {
    PayloadReader reader(name, type);
    EXPECT_EQ(reader.Size(), content_.size()) << name << " " << type;
  }
}

TEST_F(PayloadReaderTest, MissingEntryFailsWithTheRuntimesText) {
  const auto messageOf = [](const char* name, const char* type) -> std::string {
    try {
      PayloadReader reader(name, type);
    } catch (const EResNotFound& error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_EQ(messageOf("FileTxt5", "txtname"), "Resource FileTxt5 not found");
  // The right name under another type is still missing; so is an empty type.
  EXPECT_EQ(messageOf("FileExe", "txtname"), "Resource FileExe not found");
  EXPECT_EQ(messageOf("FileExe", ""), "Resource FileExe not found");
}

TEST_F(PayloadReaderTest, SaveWritesTheWholeEntryReplacingAnExistingFile) {
  WriteFile("C:\\out\\KORV.exe", std::string(200000, 'z'));
  PayloadReader reader("FileExe", "exename");
  reader.SaveToFile("C:\\out\\KORV.exe");
  EXPECT_EQ(ReadFile("C:\\out\\KORV.exe"), content_);

  reader.Open("FileTxt7", "txtname");
  reader.SaveToFile("C:\\out\\Setup.ini");
  EXPECT_EQ(ReadFile("C:\\out\\Setup.ini"), "[Form]\r\n");
}

TEST_F(PayloadReaderTest, ReopeningOnAMissingEntryFails) {
  PayloadReader reader("FileExe", "exename");
  EXPECT_THROW(reader.Open("Nothing", "exename"), EResNotFound);
}

TEST_F(PayloadReaderTest, UncreatableFileFailsWithPathAndReason) {
  PayloadReader reader("FileExe", "exename");
  try {
    reader.SaveToFile("C:\\no such folder\\KORV.exe");
    FAIL() << "no error";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot create file \"C:\\no such folder\\KORV.exe\". The system cannot find the "
              "path specified");
  }
}

// Entries the payload sums list as compressed: opened with the file's size, told apart as
// programs by the file's first bytes, and a carried size other than the sums' refused at once.
class CompressedPayloadReaderTest : public SimTest {
 protected:
  void Carry(const std::string& name, const std::string& file, std::size_t storedCut = 0) {
    std::string frame = support::ZstdFrameOf(file);
    sums_ += name + " datname " + std::to_string(file.size()) + " " +
             Sha256Hex(file.data(), file.size()) + " zstd " + std::to_string(frame.size()) + "\r\n";
    frame.resize(frame.size() - storedCut);
    Machine().Module().AddResource(name, "datname", frame);
  }
  void CarrySums() {
    Machine().Module().AddResource("PayloadSums", "txtname", sums_ + "total 0\r\n");
  }
  std::string sums_ = "Korvello payload sums 2\r\n";
};

TEST_F(CompressedPayloadReaderTest, GivesTheFilesSizeAndFirstBytesAndSavesItNew) {
  const std::string program = "MZ" + std::string(9000, 'p');
  Carry("Program", program);
  Carry("Text", std::string(9000, 't'));
  CarrySums();
  PayloadReader reader("Program", "datname");
  EXPECT_EQ(reader.Size(), program.size());
  EXPECT_TRUE(reader.IsProgram());
  reader.SaveToNewFile("C:\\program.bin");
  EXPECT_EQ(ReadFile("C:\\program.bin"), program);
  EXPECT_THROW(reader.SaveToNewFile("C:\\program.bin"), EFCreateError) << "not new";
  reader.Open("Text", "datname");
  EXPECT_FALSE(reader.IsProgram());
}

TEST_F(CompressedPayloadReaderTest, ACarriedSizeOtherThanTheSumsIsDamage) {
  Carry("Cut", std::string(9000, 'c'), 1);
  CarrySums();
  try {
    PayloadReader reader("Cut", "datname");
    FAIL() << "opened";
  } catch (const EResDamaged& error) {
    EXPECT_STREQ(error.what(), "Resource Cut is damaged");
  }
}

// The decoder holds one window of the packer's size: a frame that asks for more is refused, not
// given the memory; one within it makes its file, over several pieces.
TEST_F(CompressedPayloadReaderTest, AFrameAskingForALargerWindowThanThePackersIsDamage) {
  std::string file;
  for (int n = 0; file.size() < 3u << 20; ++n) file += "record " + std::to_string(n * 7919) + "|";
  for (const auto& [name, windowLog] : {std::pair{"Packers", EntryDecoder::kWindowLogMax},
                                        std::pair{"Larger", EntryDecoder::kWindowLogMax + 1}}) {
    const std::string frame = support::ZstdFrameOf(file, 1, windowLog);
    sums_ += std::string(name) + " datname " + std::to_string(file.size()) + " " +
             Sha256Hex(file.data(), file.size()) + " zstd " + std::to_string(frame.size()) + "\r\n";
    Machine().Module().AddResource(name, "datname", frame);
  }
  CarrySums();
  PayloadReader reader("Packers", "datname");
  reader.SaveToFile("C:\\packers.dat");
  EXPECT_EQ(ReadFile("C:\\packers.dat"), file);
  reader.Open("Larger", "datname");
  EXPECT_THROW(reader.SaveToFile("C:\\larger.dat"), EResDamaged);
}

// Without the entry's line in the sums a zstd frame is never written as if it were the file.
struct MissingSumCase {
  const char* what;
  std::string sums;  // empty: no sums entry at all
};

class FrameWithoutItsSumTest : public SimTest,
                               public ::testing::WithParamInterface<MissingSumCase> {};

TEST_P(FrameWithoutItsSumTest, IsDamageWhileAPlainEntryIsWrittenAsItStands) {
  if (!GetParam().sums.empty()) {
    Machine().Module().AddResource("PayloadSums", "txtname", GetParam().sums);
  }
  const std::string file(9000, 'f');
  const std::string frame = support::ZstdFrameOf(file);
  Machine().Module().AddResource("Frame", "datname", frame);
  Machine().Module().AddResource("Plain", "datname", "plain bytes");

  EXPECT_THROW(PayloadReader("Frame", "datname"), EResDamaged);
  PayloadReader plain("Plain", "datname");
  plain.SaveToFile("C:\\plain.txt");
  EXPECT_EQ(ReadFile("C:\\plain.txt"), "plain bytes");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameWithoutItsSumTest,
    ::testing::Values(MissingSumCase{"no sums entry", ""},
                      MissingSumCase{"sums that do not parse",
                                     "Korvello payload sums 2\r\nFrame datname 12\r\ntotal 0\r\n"},
                      MissingSumCase{"sums of other entries only",
                                     "Korvello payload sums 2\r\nPlain datname 11 " +
                                         std::string(64, 'a') + " raw 11\r\ntotal 11\r\n"}),
    test_names::From(&MissingSumCase::what));

}  // namespace
