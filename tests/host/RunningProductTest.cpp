// A running Korvello: how it is recognised, the question, and which process is ended.
#include "SetupFixture.h"
#include "support/TestNames.h"

namespace {

class RunningProductTest : public SetupFixture {
 protected:
  void CreateHostWithoutQuestion() {
    App().CreateForm(Formain);
    ASSERT_NE(Formain, nullptr);
  }
};

struct NameCase {
  const char* exeName;
  bool running;
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(c.exeName) << (c.running ? " is" : " is not") << " the product";
}

class ProductNameTest : public RunningProductTest,
                        public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProductNameTest, MatchesTheFourNamesExactlyAfterTheLastSeparator) {
  const NameCase& c = GetParam();
  Machine().Processes().AddProcess("explorer.exe");
  Machine().Processes().AddProcess(c.exeName);
  Machine().Processes().AddProcess("svchost.exe");
  // Create the window without going through FormCreate's question.
  auto& host = App().Make<TFormain>("probe");
  EXPECT_EQ(host.IsProductRunning(), c.running) << c.exeName;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProductNameTest,
    ::testing::Values(NameCase{"KORV.EXE", true}, NameCase{"KORV.exe", true},
                      NameCase{"korv.EXE", true}, NameCase{"korv.exe", true},
                      NameCase{"Korv.exe", false}, NameCase{"KORV.Exe", false},
                      NameCase{"kORV.exe", false},
                      NameCase{"C:\\Program Files\\Korvl280\\KORV.exe", true},
                      NameCase{"D:KORV.EXE", true}, NameCase{"\\??\\D:\\Korvl280\\korv.exe", true},
                      NameCase{"MyKORV.exe", false}, NameCase{"KORV.exe.bak", false},
                      NameCase{"KORV", false}, NameCase{"KORV.exe ", false},
                      // A trail byte 0x5C inside a Chinese folder name is not a separator.
                      NameCase{"C:\\俓KORV.exe", false}),
    test_names::From(&NameCase::exeName));

TEST_F(RunningProductTest, NoSnapshotMeansNotRunningAndNoQuestion) {
  Machine().Processes().AddProcess("KORV.exe");
  Machine().Processes().SetSnapshotAvailable(false);
  App().CreateForm(Formain);
  EXPECT_TRUE(Formain->ContinueSetup);
  EXPECT_TRUE(Exists(Staged("orvlSetup.ini")));
}

TEST_F(RunningProductTest, YesEndsTheProductWithExitCode4AndTheSetupGoesOn) {
  const auto product = Machine().Processes().AddProcess("KORV.exe");
  Machine().Processes().AddWindow("TKorv30", "Korvello", product);
  User().ExpectMessageBox(sim::Owner::Ref(Formain, "Formain"), kRunNoticeTitle, kProductRunningText,
                          kProductRunningFlags, gui::idYes);
  App().CreateForm(Formain);

  ASSERT_EQ(Machine().Processes().TerminateCalls().size(), 1u);
  EXPECT_EQ(Machine().Processes().TerminateCalls()[0].processId, product);
  EXPECT_EQ(Machine().Processes().TerminateCalls()[0].exitCode, 4u);
  EXPECT_FALSE(Machine().Processes().Process(product)->running);
  EXPECT_TRUE(Formain->ContinueSetup);
  EXPECT_TRUE(Exists(Staged("orvlSetup.log")));
}

TEST_F(RunningProductTest, NoEndsTheSetupBeforeAnythingIsStagedAndTheWizardNeverShows) {
  const auto product = Machine().Processes().AddProcess("korv.exe");
  Machine().Processes().AddWindow("TKorv30", "Korvello", product);
  // Files left by an earlier run are removed when the host closes.
  WriteFile(Staged("SQXY.txt"), "old licence");
  User().ExpectMessageBox(sim::Owner::Ref(Formain, "Formain"), kRunNoticeTitle, kProductRunningText,
                          kProductRunningFlags, gui::idNo);

  EXPECT_EQ(RunWholeSetup(), 0);

  EXPECT_TRUE(App().Terminated());
  EXPECT_TRUE(Machine().Processes().TerminateCalls().empty());
  EXPECT_TRUE(Machine().Processes().Process(product)->running);
  for (const char* name : {"orvlSetup.log", "orvlSetup.ini", "SQXY.txt"}) {
    EXPECT_FALSE(Exists(Staged(name))) << name;
  }
  ASSERT_NE(FormSchedule, nullptr);
  EXPECT_FALSE(FormSchedule->Visible());
  for (const auto& dialog : User().Dialogs()) EXPECT_NE(dialog.title, kExitTitle);
}

// The product's windows in Z order, top first: which process is ended.
struct WindowWalkCase {
  const char* what;
  std::vector<std::pair<const char*, const char*>> windows;  // class, title; process per window
  int terminatedWindow;                                      // index, or -1 for none
};

void PrintTo(const WindowWalkCase& c, std::ostream* out) { *out << c.what; }

class WindowWalkTest : public RunningProductTest,
                       public ::testing::WithParamInterface<WindowWalkCase> {};

TEST_P(WindowWalkTest, EndsAtMostTheFirstProperlyTitledProductWindowsProcess) {
  const WindowWalkCase& c = GetParam();
  std::vector<std::uint32_t> processes;
  for (const auto& [className, title] : c.windows) {
    processes.push_back(Machine().Processes().AddProcess("KORV.exe"));
    Machine().Processes().AddWindow(className, title, processes.back());
  }
  auto& host = App().Make<TFormain>("probe");
  host.CloseRunningProduct("TKorv30");

  const auto calls = Machine().Processes().TerminateCalls();
  if (c.terminatedWindow < 0) {
    EXPECT_TRUE(calls.empty()) << c.what;
    return;
  }
  ASSERT_EQ(calls.size(), 1u) << c.what;
  EXPECT_EQ(calls[0].processId, processes[c.terminatedWindow]) << c.what;
  EXPECT_EQ(calls[0].exitCode, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, WindowWalkTest,
    ::testing::Values(WindowWalkCase{"no product window", {{"Notepad", "Untitled"}}, -1},
                      WindowWalkCase{"one product window", {{"TKorv30", "Korvello"}}, 0},
                      WindowWalkCase{"two product windows: the first in Z order",
                                     {{"TKorv30", "Korvello"}, {"TKorv30", "Korvello"}},
                                     0},
                      WindowWalkCase{"empty and setup titles are passed over",
                                     {{"TKorv30", ""},
                                      {"Shell_TrayWnd", "task bar"},
                                      {"TKorv30", "korvlSetup"},
                                      {"TKorv30", "Korvello - 文档1"}},
                                     3},
                      WindowWalkCase{
                          "windows of other classes never end their process",
                          {{"TKorv30", ""}, {"Notepad", "Korvello"}, {"TKorv30", "korvlSetup"}},
                          -1},
                      WindowWalkCase{"only passed-over product windows", {{"TKorv30", ""}}, -1}),
    test_names::From(&WindowWalkCase::what));

TEST_F(RunningProductTest, RunningProductWithoutWindowLetsTheSetupContinue) {
  Machine().Processes().AddProcess("KORV.EXE");
  User().ExpectMessageBox(sim::Owner::Ref(Formain, "Formain"), kRunNoticeTitle, kProductRunningText,
                          kProductRunningFlags, gui::idYes);
  App().CreateForm(Formain);
  EXPECT_TRUE(Machine().Processes().TerminateCalls().empty());
  EXPECT_TRUE(Formain->ContinueSetup);
  EXPECT_TRUE(Exists(Staged("SQXY.txt")));
}

}  // namespace
