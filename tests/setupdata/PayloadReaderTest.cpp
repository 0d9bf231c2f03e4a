// Payload entries: addressing without regard to case, the runtime's errors, whole-file saves,
// compressed entries.
#include <string>

#include <zstd.h>

#include "platform/Errors.h"
#include "setupdata/PayloadReader.h"
#include "setupdata/Sha256.h"
#include "support/SimTest.h"

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
    std::string frame(ZSTD_compressBound(file.size()), '\0');
    frame.resize(ZSTD_compress(frame.data(), frame.size(), file.data(), file.size(), 1));
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

}  // namespace
