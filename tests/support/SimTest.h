#pragma once
// SimTest: the GoogleTest fixture for tests on the simulated Windows and the headless toolkit.
//
// Every test gets a fresh SimMachine on its own temporary host folder (drive C: is a real folder,
// C:\WINDOWS exists) and a gui::Application on the headless back end. Arrange the machine, script
// the user, run the program's code, then check:
//
//   class HostWindowTest : public SimTest {};
//
//   TEST_F(HostWindowTest, DecliningTheRunningProductQuestionEndsTheSetup) {
//     Machine().Processes().AddProcess("korv.exe");
//     User().ExpectMessageBox(sim::Owner::Ref(Formain, "Formain"), "运行提示", kQuestion,
//                             0x1034, gui::idNo);
//     App().CreateForm(Formain);
//     App().Run();
//     EXPECT_FALSE(Exists("C:\\WINDOWS\\Temp\\orvlSetup.ini"));
//   }
//
// Failures: every ScriptFailure (unexpected or mismatching dialog, unknown control, starved loop)
// is reported as a test failure with its message the moment it is raised, even when something on
// the way catches it. At the end, expected dialogs that never opened and actions never taken fail
// the test too. Then the application is destroyed (dialogs opened during clean-up are checked but
// never throw), and the fixture waits for the machine's worker threads to end.
//
// Utf8(text) turns CP936 text into readable UTF-8: EXPECT_EQ(Utf8(actual), Utf8(expected)).
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/AnsiString.h"
#include "platform/gui/Application.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"
#include "platform/sim/gui/HeadlessBackend.h"
#include "platform/sim/gui/ScriptedUser.h"

class SimTest : public ::testing::Test {
 protected:
  SimTest();
  ~SimTest() override;
  void TearDown() override;

  sim::SimMachine& Machine() { return *machine_; }
  gui::Application& App() { return *application_; }
  sim::HeadlessBackend& Backend() { return sim::HeadlessBackend::Of(*application_); }
  sim::ScriptedUser& User() { return Backend().User(); }
  // The temporary host folder behind the machine (drive C: is Root()/"C").
  const std::filesystem::path& Root() const { return folder_.Path(); }

  static std::string Utf8(const AnsiString& text) { return sim::Utf8(text); }

  // The host file of a Windows path, and whether it exists.
  std::filesystem::path HostPath(const AnsiString& windowsPath) const;
  bool Exists(const AnsiString& windowsPath) const;
  // Writes and reads host files by their Windows paths (folders are created as needed).
  void WriteFile(const AnsiString& windowsPath, const std::string& bytes);
  std::string ReadFile(const AnsiString& windowsPath) const;

  // Runs body, which is meant to fail: returns the message of the ScriptFailure it raised
  // (empty when none), without failing the test for it.
  std::string ScriptFailureOf(const std::function<void()>& body);

  // Ends the application now (the fixture does it at the end otherwise).
  void DestroyApplication();

 private:
  void ReportFailuresToTest();

  sim::TempFolder folder_;
  std::unique_ptr<sim::SimMachine> machine_;
  std::unique_ptr<gui::Application> application_;
};
