// Configuration lookups through the staged setup configuration.
#include "SetupFixture.h"

namespace {

class ReadSetupValueTest : public SetupFixture {
 protected:
  void SetUp() override {
    SetupFixture::SetUp();
    host_ = &App().Make<TFormain>("probe");
    host_->StagingFolder = host_->GetStagingFolder();
  }
  void WriteConfiguration(const std::string& text) { WriteFile(Staged("orvlSetup.ini"), text); }
  TFormain* host_ = nullptr;
};

TEST_F(ReadSetupValueTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(host_->ReadSetupValue("Form", "Caption"), "");
  WriteConfiguration("[***]\r\n[Form]\r\nCaption=Korvello\r\n");
  EXPECT_EQ(host_->ReadSetupValue("Run", "FileName"), "");
  EXPECT_EQ(host_->ReadSetupValue("Form", "Serial"), "");
  EXPECT_EQ(host_->ReadSetupValue("Form", "Caption"), "Korvello");
}

TEST_F(ReadSetupValueTest, NamesMatchWithoutRegardToCase) {
  WriteConfiguration("[Form]\r\ndesKtopLink=\\Korvellov2.8.0(k).lnk\r\n[Run]\r\nRJSize=12\r\n");
  EXPECT_EQ(host_->ReadSetupValue("form", "DESKTOPLINK"), "\\Korvellov2.8.0(k).lnk");
  EXPECT_EQ(host_->ReadSetupValue("RUN", "rjsize"), "12");
}

TEST_F(ReadSetupValueTest, EveryCallSeesTheCurrentFile) {
  WriteConfiguration("[Run]\r\nFileName=KORV.exe\r\n");
  EXPECT_EQ(host_->ReadSetupValue("Run", "FileName"), "KORV.exe");
  WriteConfiguration("[Run]\r\nFileName=Other.exe\r\n");
  EXPECT_EQ(host_->ReadSetupValue("Run", "FileName"), "Other.exe");
}

TEST_F(ReadSetupValueTest, LongValuesAreCutTo2047Bytes) {
  const std::string longValue(3000, 'x');
  WriteConfiguration("[Form]\r\nCaption=" + longValue + "\r\n");
  EXPECT_EQ(host_->ReadSetupValue("Form", "Caption"), std::string(2047, 'x'));
}

TEST_F(ReadSetupValueTest, ChineseValuesComeBackAsTheirBytes) {
  WriteConfiguration(std::string("[Form]\r\nSQXY=") + "用户授权协议" + "\r\n");
  EXPECT_EQ(Utf8(host_->ReadSetupValue("Form", "SQXY")), Utf8("用户授权协议"));
}

}  // namespace
