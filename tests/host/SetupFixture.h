#pragma once
// A simulated machine whose running module carries the setup's own payload entries, and the
// texts the setup shows, for tests of the host window, the entry and the wizard's start.
#include <filesystem>
#include <optional>
#include <string>

#include "host/Unit_main.h"
#include "main/Program.h"
#include "platform/ComApartment.h"
#include "support/SimTest.h"
#include "wizard/Unit_Schedule.h"

class SetupFixture : public SimTest {
 protected:
  static constexpr const char* kTempFolder = "C:\\WINDOWS\\Temp\\";
  static constexpr const char* kManifest = "FileExe exename KORV.exe\r\nFileTxt5 txtname Setup.log";
  static constexpr const char* kConfiguration =
      "[***]\r\n[Form]\r\nCaption=Korvellov2.8.3.8（标准版-k）\r\nSerial=02080308\r\n";
  static constexpr const char* kLicence = "用户授权协议\r\n第一条";
  static constexpr const char* kWizardCaption = "Korvellov2.8.3.8（标准版-k）";
  static constexpr const char* kRunNoticeTitle = "运行提示";
  static constexpr const char* kProductRunningText =
      "Korvello正在运行中，只有结束其\r运行后，才能进行软件更新。\r\r要结束正在运行的Korvello吗?";
  static constexpr unsigned kProductRunningFlags = 0x1034;
  static constexpr const char* kExitQuestion = "确定要退出安装程序吗?";
  static constexpr const char* kExitTitle = "退出安装";

  void SetUp() override {
    SimTest::SetUp();
    // Stored in upper case, as the packaged executable stores them.
    Machine().Module().AddResource("FILETXT5", "TXTNAME", Manifest());
    if (WithConfigurationEntry())
      Machine().Module().AddResource("FILETXT7", "TXTNAME", Configuration());
    Machine().Module().AddResource("FILETXT4", "TXTNAME", kLicence);
  }
  // A module built without the configuration entry, for the error path.
  virtual bool WithConfigurationEntry() const { return true; }
  // The install manifest the module carries.
  virtual std::string Manifest() const { return kManifest; }
  // The setup configuration the module carries.
  virtual std::string Configuration() const { return kConfiguration; }

  // The run's own staging folder inside C:\WINDOWS\Temp\, with its trailing backslash: the one
  // the setup made, or before it has, the one it will make.
  AnsiString StagingFolder() {
    const std::vector<AnsiString> made = Machine().Files().PrivateFolders();
    return (made.empty() ? AnsiString(kTempFolder) + Machine().Files().PeekPrivateFolderName()
                         : made.back()) +
           "\\";
  }
  AnsiString Staged(const char* fileName) { return StagingFolder() + fileName; }

  // The whole program on this machine: COM for the user-interface thread, the guard, both
  // windows and the loop.
  int RunWholeSetup() {
    const platform::ComApartment com;
    const AnsiString commandLine = Machine().Module().CommandLine();
    return RunSetup(App(), guard_, ParseSetupSwitches(commandLine), commandLine);
  }

  // The worker hands the wizard to the loop through a synchronised call; a person cannot act on
  // the wizard before it is on screen.
  void ScriptWaitForWizard() {
    User().WaitUntil(
        [&] { return FormSchedule && FormSchedule->IsModal() && FormSchedule->Visible(); },
        "the wizard is on screen");
  }

  // Closes the wizard with its close box and confirms the question.
  void ScriptCloseWizardConfirmed() {
    User().CloseBox("").ExpectMessageBox(sim::Owner::Ref(FormSchedule, "FormSchedule"), kExitTitle,
                                         kExitQuestion, 0x1, gui::idOk);
  }

 private:
  std::optional<platform::NamedMutex> guard_;
};
