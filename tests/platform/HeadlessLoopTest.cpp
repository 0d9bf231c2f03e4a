// The headless back end's message loop: timers on the virtual clock, the scripted user, expected
// dialogs, synchronised calls from other threads, and failures instead of hangs.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/SystemThread.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Timer.h"
#include "support/SimTest.h"

namespace {

using namespace std::chrono_literals;

class HeadlessLoopTest : public SimTest {
 protected:
  gui::Form& MakeForm(const AnsiString& name) { return App().Make<gui::Form>(name); }
  gui::Panel& MakePanel(gui::Form& form, const AnsiString& name) {
    auto& panel = form.Make<gui::Panel>(name);
    panel.SetParent(&form);
    return panel;
  }
  gui::Timer& MakeTimer(const AnsiString& name, std::uint32_t interval, bool enabled) {
    auto& timer = App().Make<gui::Timer>(name);
    timer.SetEnabled(enabled);
    timer.SetInterval(interval);
    return timer;
  }
  // Runs the loop until the application is terminated, as Application::Run does without a
  // main form.
  void RunLoop() {
    while (!App().Terminated()) Backend().WaitAndDispatch();
  }
  std::vector<std::string> log_;
};

TEST_F(HeadlessLoopTest, TimersFireInDeadlineOrderIncludingTimersArmedByTimers) {
  auto& slow = MakeTimer("slow", 300, true);
  auto& fast = MakeTimer("fast", 100, true);
  auto& late = MakeTimer("late", 50, false);
  auto stamp = [this](const char* name) {
    log_.push_back(std::string(name) + "@" + std::to_string(Machine().Clock().Now()));
  };
  slow.OnTimer = [&] {
    stamp("slow");
    App().Terminate();
  };
  int fastTicks = 0;
  fast.OnTimer = [&] {
    stamp("fast");
    if (++fastTicks == 1) late.SetEnabled(true);  // armed at 100, due at 150
    if (fastTicks == 2) fast.SetEnabled(false);
  };
  late.OnTimer = [&] {
    stamp("late");
    late.SetEnabled(false);
  };
  RunLoop();
  EXPECT_EQ(log_, (std::vector<std::string>{"fast@100", "late@150", "fast@200", "slow@300"}));
}

TEST_F(HeadlessLoopTest, TimersWithEqualDeadlinesFireInArmingOrderAndAClockJumpFiresOnce) {
  auto& second = MakeTimer("second", 100, false);
  auto& first = MakeTimer("first", 100, false);
  first.SetEnabled(true);
  second.SetEnabled(true);
  first.OnTimer = [&] { log_.push_back("first@" + std::to_string(Machine().Clock().Now())); };
  second.OnTimer = [&] {
    log_.push_back("second@" + std::to_string(Machine().Clock().Now()));
    if (log_.size() >= 4) App().Terminate();
  };
  RunLoop();
  EXPECT_EQ(log_, (std::vector<std::string>{"first@100", "second@100", "first@200", "second@200"}));

  // Sleeping far past several intervals gives one tick each, re-armed from the time it fired.
  log_.clear();
  platform::Sleep(1000);
  App().ProcessMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"first@1200", "second@1200"}));
  EXPECT_EQ(Backend().TimerDeadline(first), 1300u);
  first.SetEnabled(false);
  second.SetEnabled(false);
  EXPECT_FALSE(Backend().TimerDeadline(first));
}

TEST_F(HeadlessLoopTest, ProcessMessagesServesQueueDueTimersAndOneScriptedActionPerCall) {
  auto& timer = MakeTimer("t", 50, true);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  bool posted = false;
  std::vector<std::string> steps;
  bool ready = false;
  User().Step([&] { steps.push_back("first"); }, "first");
  User().Step([&] { steps.push_back("second"); }, "second");
  User().WaitUntil([&] { return ready; }, "ready");
  User().Step([&] { steps.push_back("third"); }, "third");
  App().Post([&] { posted = true; });

  App().ProcessMessages();
  EXPECT_TRUE(posted) << "queued calls are served before the user acts";
  EXPECT_EQ(ticks, 0) << "the timer is not due yet and ProcessMessages does not wait";
  EXPECT_EQ(steps, (std::vector<std::string>{"first"})) << "one action per call";
  platform::Sleep(50);
  App().ProcessMessages();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(steps, (std::vector<std::string>{"first", "second"}));
  App().ProcessMessages();
  EXPECT_EQ(steps.size(), 2u) << "a wait holds the script back here too";
  ready = true;
  App().ProcessMessages();
  EXPECT_EQ(steps, (std::vector<std::string>{"first", "second", "third"}));
  timer.SetEnabled(false);
}

TEST_F(HeadlessLoopTest, StarvedLoopFailsNamingWhatItWaitsFor) {
  auto& wizard = MakeForm("Wizard");
  const std::string failure = ScriptFailureOf([&] { wizard.ShowModal(); });
  EXPECT_NE(failure.find("starved"), std::string::npos) << failure;
  EXPECT_NE(failure.find("modal display of Wizard"), std::string::npos) << failure;

  const std::string mainLoop = ScriptFailureOf([&] { App().Run(); });
  EXPECT_NE(mainLoop.find("the application's message loop"), std::string::npos) << mainLoop;
}

TEST_F(HeadlessLoopTest, TimersThatNeverEndTheLoopFailInsteadOfSpinningForever) {
  auto& timer = MakeTimer("forever", 100, true);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  const std::string failure = ScriptFailureOf([&] { RunLoop(); });
  EXPECT_NE(failure.find("only timers keep firing"), std::string::npos) << failure;
  EXPECT_GT(ticks, 1000);
}

TEST_F(HeadlessLoopTest, ClicksActInsideNestedModalDisplaysAndSkipUnreachableControls) {
  auto& main = MakeForm("Main");
  auto& dialog = MakeForm("Dialog");
  auto& open = MakePanel(main, "Open");
  auto& off = MakePanel(main, "Off");
  auto& ok = MakePanel(dialog, "Ok");
  auto& hidden = MakePanel(dialog, "Hidden");
  off.SetEnabled(false);
  hidden.Hide();
  int mainActivations = 0;
  int dialogActivations = 0;
  main.OnActivate = [&] { ++mainActivations; };
  dialog.OnActivate = [&] { ++dialogActivations; };
  off.OnClick = [&] { log_.push_back("off"); };
  hidden.OnClick = [&] { log_.push_back("hidden"); };
  open.OnClick = [&] {
    log_.push_back("open");
    const int result = dialog.ShowModal();
    log_.push_back("modal result " + std::to_string(result));
  };
  ok.OnClick = [&] {
    log_.push_back("ok");
    dialog.SetModalResult(gui::mrOk);
  };

  User()
      .Click("Off")
      .Click("Open")
      .Step([&] {
        ASSERT_EQ(Backend().ModalStack().size(), 1u);
        EXPECT_EQ(Backend().ModalStack().back(), &dialog);
        EXPECT_EQ(Backend().ActiveForm(), &dialog);
        EXPECT_TRUE(Backend().DisabledByModal(main));
      })
      .Click("Main.Open")  // behind the modal dialog
      .Click("Hidden")
      .Click("Ok")
      .Step([&] { App().Terminate(); });
  main.ShowForm();
  RunLoop();

  EXPECT_EQ(log_, (std::vector<std::string>{"open", "ok", "modal result 1"}));
  EXPECT_EQ(User().IgnoredActions().size(), 3u);
  EXPECT_TRUE(Backend().ModalStack().empty());
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialogActivations, 1);
  EXPECT_EQ(mainActivations, 2) << "once when shown, once more when the modal dialog went";
}

// As ShowWindow activates a window, showing a form runs its activation handler inside the show,
// before any loop turns; a modal display that its activation ended (the form closed, the
// application terminated) ends at once. Nothing is scripted: a loop that waited for input
// would fail as starved.
TEST_F(HeadlessLoopTest, ShowingAFormActivatesItInsideTheShowAndADisplayEndedThereEndsAtOnce) {
  auto& main = MakeForm("Main");
  int mainActivations = 0;
  main.OnActivate = [&] { ++mainActivations; };
  main.ShowForm();
  EXPECT_EQ(mainActivations, 1);
  EXPECT_EQ(Backend().ActiveForm(), &main);

  auto& closing = MakeForm("Closing");
  closing.OnActivate = [&] {
    log_.push_back("activated");
    closing.Close();
  };
  closing.OnClose = [&](gui::CloseAction&) { log_.push_back("closed"); };
  EXPECT_EQ(closing.ShowModal(), gui::mrCancel);
  EXPECT_EQ(log_, (std::vector<std::string>{"activated", "closed"}));
  EXPECT_FALSE(closing.Visible());

  auto& terminating = MakeForm("Terminating");
  terminating.OnActivate = [&] { App().Terminate(); };
  EXPECT_EQ(terminating.ShowModal(), gui::mrCancel);
  EXPECT_FALSE(terminating.Visible());
  EXPECT_TRUE(Backend().ModalStack().empty());
}

TEST_F(HeadlessLoopTest, CloseBoxOfAModalFormCancelsItAndUnknownNamesFail) {
  auto& dialog = MakeForm("Dialog");
  bool asked = false;
  dialog.OnCloseQuery = [&](bool& canClose) {
    asked = true;
    canClose = true;
  };
  User().CloseBox("Dialog");
  EXPECT_EQ(dialog.ShowModal(), gui::mrCancel);
  EXPECT_TRUE(asked);

  User().Click("NoSuchButton");
  const std::string failure = ScriptFailureOf([&] { dialog.ShowModal(); });
  EXPECT_NE(failure.find("no control named NoSuchButton"), std::string::npos) << failure;
}

TEST_F(HeadlessLoopTest, TypingReplacesTheTextOfAReachableEditOnly) {
  auto& form = MakeForm("Form");
  auto& path = form.Make<gui::Edit>("Edit_Path");
  path.SetParent(&form);
  auto& box = MakePanel(form, "Box");
  box.SetEnabled(false);
  auto& locked = form.Make<gui::Edit>("Locked");
  locked.SetParent(&box);
  form.ShowForm();
  User().Type("Edit_Path", "D:\\Korvl\\").Type("Locked", "x").Step([&] { App().Terminate(); });
  RunLoop();
  EXPECT_EQ(path.Text(), "D:\\Korvl\\");
  EXPECT_EQ(locked.Text(), "") << "its parent is disabled";
  ASSERT_EQ(User().IgnoredActions().size(), 1u);
  EXPECT_NE(User().IgnoredActions()[0].find("Locked"), std::string::npos);
}

TEST_F(HeadlessLoopTest, TypingIntoAControlThatIsNoEditFailsTheScript) {
  auto& form = MakeForm("Form");
  MakePanel(form, "Panel_Title");
  form.ShowForm();
  User().Type("Panel_Title", "x");
  EXPECT_NE(ScriptFailureOf([&] { RunLoop(); }).find("no edit box"), std::string::npos);
}

TEST_F(HeadlessLoopTest, ExpectedDialogsAreCheckedInOrderAndAnswered) {
  gui::Form* owner = &MakeForm("Formain");
  App().SetTitle("korvlSetup");
  User()
      .ExpectMessageBox(sim::Owner::Ref(owner, "Formain"), "运行提示", "要结束吗?", 0x1034,
                        gui::idYes)
      .ExpectMessageBox(sim::Owner::None(), "运行提示", "安装程序已经运行", 0x40, gui::idOk)
      .ExpectMessageDialog(gui::DialogType::Confirmation, "退出?", gui::dlg::kYes | gui::dlg::kNo,
                           gui::idNo)
      .ExpectPlainMessage("完成")
      .ExpectErrorReport("Resource FileTxt5 not found");

  EXPECT_EQ(App().MessageBox("要结束吗?", "运行提示", 0x1034, owner), gui::idYes);
  EXPECT_EQ(App().MessageBox("安装程序已经运行", "运行提示", 0x40), gui::idOk);
  EXPECT_EQ(
      App().MessageDlg("退出?", gui::DialogType::Confirmation, gui::dlg::kYes | gui::dlg::kNo),
      gui::idNo);
  App().ShowMessage("完成");
  App().Guard([] { throw std::runtime_error("Resource FileTxt5 not found"); });

  const auto& dialogs = User().Dialogs();
  ASSERT_EQ(dialogs.size(), 5u);
  EXPECT_EQ(dialogs[2].title, "Confirm");
  EXPECT_EQ(dialogs[3].title, "korvlSetup") << "the plain message carries the application title";
  EXPECT_EQ(User().PendingExpectations(), 0u);
}

TEST_F(HeadlessLoopTest, UnexpectedOrDifferentDialogsFailWithReadableText) {
  auto& form = MakeForm("Form");
  auto& button = MakePanel(form, "Button");
  button.OnClick = [&] { App().MessageBox("安装程序已经运行", "运行提示", 0x40); };
  form.ShowForm();
  User().Click("Button");
  // The failure passes through the toolkit's error report around the click handler.
  const std::string unexpected = ScriptFailureOf([&] { RunLoop(); });
  EXPECT_NE(unexpected.find("unexpected system message box"), std::string::npos) << unexpected;
  EXPECT_NE(unexpected.find(Utf8("\"安装程序已经运行\"")), std::string::npos) << unexpected;
  EXPECT_NE(unexpected.find("0x40"), std::string::npos) << unexpected;

  User().ExpectMessageBox(sim::Owner::Any(), "运行提示", "安装程序已经运行", 0x30, gui::idOk);
  User().Click("Button");
  const std::string different = ScriptFailureOf([&] { RunLoop(); });
  EXPECT_NE(different.find(Utf8("expected system message box owned by any owner, title "
                                "\"运行提示\", text \"安装程序已经运行\", flags 0x30")),
            std::string::npos)
      << different;
  EXPECT_NE(different.find("opened   system message box owned by nothing"), std::string::npos)
      << different;
  for (const auto& dialog : User().Dialogs()) EXPECT_NE(dialog.kind, sim::DialogKind::ErrorReport);
}

TEST_F(HeadlessLoopTest, UnmetExpectationsAndUntakenActionsAreReported) {
  User().ExpectPlainMessage("never shown").Step([] {}, "late step");
  const auto problems = User().Problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("expected dialog never opened: plain message, text \"never shown\""),
            std::string::npos)
      << problems[0];
  EXPECT_NE(problems[1].find("scripted action never taken: late step"), std::string::npos)
      << problems[1];
  std::string verdict;
  try {
    User().VerifyDone();
  } catch (const sim::ScriptFailure& failure) {
    verdict = failure.Message();
  }
  EXPECT_NE(verdict.find("never shown"), std::string::npos);

  App().ShowMessage("never shown");
  Backend().WaitAndDispatch();
  EXPECT_TRUE(User().Problems().empty());
}

TEST_F(HeadlessLoopTest, SynchronisedCallWaitsForTheLoopAndRunsOnTheUiThread) {
  std::atomic<bool> ran{false};
  std::atomic<bool> onUiThread{false};
  std::thread worker([&] {
    App().Synchronize([&] {
      onUiThread = App().OnUiThread();
      ran = true;
    });
  });
  for (int i = 0; i < 500 && !App().HasQueued(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(App().HasQueued());
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(ran) << "nothing serves the call before a loop runs";
  App().ProcessMessages();
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(onUiThread);
}

TEST_F(HeadlessLoopTest, LoopWaitsForARunningWorkerThreadToQueueItsCall) {
  std::atomic<int> servedAt{-1};
  platform::SystemThread worker([&] {
    std::this_thread::sleep_for(50ms);  // the loop is idle meanwhile
    App().Synchronize([&] {
      servedAt = static_cast<int>(log_.size());
      App().Terminate();
    });
  });
  auto& main = MakeForm("Main");
  main.OnShow = [&] { log_.push_back("shown"); };
  worker.Resume();
  main.ShowForm();
  RunLoop();
  EXPECT_EQ(servedAt, 1) << "served by the loop after the form was shown";
}

TEST_F(HeadlessLoopTest, WaitUntilHoldsTheScriptUntilItsConditionHolds) {
  std::atomic<bool> ready{false};
  platform::SystemThread worker([&] {
    std::this_thread::sleep_for(30ms);
    ready = true;
  });
  auto& timer = MakeTimer("t", 100, true);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  bool checked = false;
  User()
      .WaitUntil([&] { return ticks == 3; }, "three ticks")
      .WaitUntil([&] { return ready.load(); }, "the worker is ready")
      .Step([&] {
        checked = true;
        App().Terminate();
      });
  worker.Resume();
  RunLoop();
  EXPECT_TRUE(checked);
  EXPECT_EQ(Machine().Clock().Now(), 300u) << "the clock went on while the script waited";

  User().WaitUntil([] { return false; }, "a window that never comes");
  const std::string failure = ScriptFailureOf([&] { Backend().WaitAndDispatch(); });
  EXPECT_NE(failure.find("held at \"wait until a window that never comes\""), std::string::npos)
      << failure;
  User().ClearScript();
}

TEST_F(HeadlessLoopTest, PaintingIsRecordedAndTextMeasuredWithTheFixedMetric) {
  auto& form = MakeForm("Form");
  form.OnPaint = [&] {
    gui::Canvas& canvas = form.GetCanvas();
    canvas.SetBrushColor(gui::RGB(0, 0, 255));
    canvas.FillRect({0, 0, 10, 3});
    canvas.SetBrushColor(gui::clBlack);
    canvas.FillRect({0, 3, 10, 6});
  };
  const auto fills = Backend().Paint(form);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].color, gui::RGB(0, 0, 255));
  EXPECT_EQ(fills[0].rect, (gui::Rect{0, 0, 10, 3}));
  EXPECT_EQ(fills[1].color, gui::clBlack);

  auto& label = form.Make<gui::Label>("Label2");
  gui::Font font;
  font.height = 14;
  label.SetFont(font);
  label.SetCaption("出版 2024");  // 9 bytes in CP936
  EXPECT_EQ(label.Width(), 9 * 7);
  EXPECT_EQ(label.Height(), 14);
  Backend().SetScreenSize({1156, 819});
  EXPECT_EQ(Backend().ScreenSize().width, 1156);
}

}  // namespace
