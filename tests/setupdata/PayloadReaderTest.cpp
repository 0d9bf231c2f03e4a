// Payload entries: addressing without regard to case, the runtime's errors, whole-file saves.
#include <string>

#include "platform/Errors.h"
#include "setupdata/PayloadReader.h"
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

}  // namespace
