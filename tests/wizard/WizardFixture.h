#pragma once
// The whole setup on a simulated machine with the shipped setup configuration, for tests of the
// wizard: the user waits for the wizard, acts on it, and the fixture ends the setup by Exit.
#include <string>

#include "host/SetupFixture.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Image.h"
#include "platform/gui/Memo.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/StringGrid.h"

class WizardFixture : public SetupFixture {
 protected:
  static constexpr const char* kCaption = "Korvellov2.8.3.8（标准版-k）";
  static constexpr const char* kShippedConfiguration =
      "[***]\r\n[Form]\r\nCaption=Korvellov2.8.3.8（标准版-k）\r\nSerial=02080308\r\n"
      "Version=2.8.3.8（标准版-k）\r\nSQXY=用户授权协议\r\ndesKtopLink=\\Korvellov2.8.0(k).lnk\r\n"
      "\r\n[SetupDir]\r\nDrive=D:\r\nDirName=Korvl280\r\nSetupPath=D:\\Program Files\\Korvl280\r\n"
      "\r\n[Run]\r\nFileName=KORV.exe\r\nRJSize=12\r\n";
  static constexpr const char* kExitQuestion = "确定要退出安装程序吗?";

  std::string Configuration() const override { return configuration_; }
  // Replaces one "Key=value" line of the shipped configuration (or drops it with an empty
  // replacement); call before SetUp, that is in the test fixture's constructor.
  void ReplaceConfigurationLine(const std::string& line, const std::string& replacement) {
    const std::size_t at = configuration_.find(line + "\r\n");
    configuration_.replace(at, line.size() + 2, replacement.empty() ? "" : replacement + "\r\n");
  }

  TFormSchedule& Wizard() { return *FormSchedule; }
  int Page() { return Wizard().ScheBook->PageIndex(); }

  // Runs the whole setup: the user waits for the wizard, then script() queues the test's
  // actions, and the setup is ended by Exit and Yes unless the script ended it itself.
  void RunWizard(const std::function<void()>& script, bool endByExit = true) {
    ScriptWaitForWizard();
    script();
    if (endByExit) {
      User().Click("btnexit").ExpectMessageDialog(gui::DialogType::Confirmation, kExitQuestion,
                                                  gui::dlg::kYes | gui::dlg::kNo, gui::idYes);
    }
    RunWholeSetup();
  }

  // A check made between two actions of the user.
  void Check(std::function<void()> check, std::string what = "check") {
    User().Step(std::move(check), std::move(what));
  }

 private:
  std::string configuration_ = kShippedConfiguration;
};
