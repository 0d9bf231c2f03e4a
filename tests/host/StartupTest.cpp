// Start-up: the single-instance guard, the order of the windows and the hand-over to the wizard.
#include "SetupFixture.h"

namespace {

class StartupTest : public SetupFixture {};

TEST_F(StartupTest, SecondStartShowsOnlyTheNoticeAndLeavesTheFirstGuardAlone) {
  Machine().Processes().HoldMutexElsewhere("KOrvlSetup_27805");
  User().ExpectMessageBox(sim::Owner::None(), kRunNoticeTitle, "安装程序已经运行", 0x40, gui::idOk);

  EXPECT_EQ(RunWholeSetup(), 0);

  EXPECT_EQ(Formain, nullptr);
  EXPECT_EQ(FormSchedule, nullptr);
  EXPECT_FALSE(Exists(Staged("orvlSetup.ini")));
  EXPECT_FALSE(Machine().Processes().MutexOwnedHere("KOrvlSetup_27805"));
}

TEST_F(StartupTest, WizardWaitsForTheMessageLoop) {
  ScriptWaitForWizard();
  App().CreateForm(Formain);
  App().CreateForm(FormSchedule);
  // The worker has started, but its synchronised call is served only by the running loop.
  EXPECT_FALSE(FormSchedule->Visible());
  EXPECT_TRUE(Backend().ModalStack().empty());

  bool shown = false;
  User().Step([&] { shown = FormSchedule->IsModal() && Formain->Visible(); }, "wizard shown");
  ScriptCloseWizardConfirmed();
  App().Run();
  EXPECT_TRUE(shown);
}

TEST_F(StartupTest, WizardIsShownModallyOverTheBackdropWithTheConfiguredCaption) {
  ScriptWaitForWizard();
  bool checked = false;
  User().Step(
      [&] {
        ASSERT_NE(FormSchedule, nullptr);
        EXPECT_TRUE(Formain->Visible());
        EXPECT_TRUE(FormSchedule->IsModal());
        EXPECT_EQ(Utf8(FormSchedule->Caption()), Utf8(kWizardCaption));
        EXPECT_TRUE(Machine().Processes().MutexOwnedHere("KOrvlSetup_27805"));
        EXPECT_EQ(App().Title(), "korvlSetup");
        checked = true;
      },
      "wizard on screen");
  ScriptCloseWizardConfirmed();

  EXPECT_EQ(RunWholeSetup(), 0);
  EXPECT_TRUE(checked);
}

TEST_F(StartupTest, CancellingTheCloseQuestionKeepsTheWizard) {
  ScriptWaitForWizard();
  User()
      .CloseBox("")
      .ExpectMessageBox(sim::Owner::Ref(FormSchedule, "FormSchedule"), kExitTitle, kExitQuestion,
                        0x1, gui::idCancel)
      .Step(
          [&] {
            ASSERT_NE(FormSchedule, nullptr);
            EXPECT_TRUE(FormSchedule->Visible());
            EXPECT_FALSE(App().Terminated());
          },
          "wizard still there");
  ScriptCloseWizardConfirmed();

  RunWholeSetup();
  EXPECT_TRUE(App().Terminated());
}

}  // namespace
