// User input reaches a control only when the user could reach it on screen.
#include "platform/Errors.h"
#include "platform/gui/Control.h"
#include "platform/gui/Form.h"
#include "support/SimTest.h"

namespace {

class ControlInputTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("Probe");
    panel_ = &form_->Make<gui::Panel>("Panel");
    panel_->SetParent(form_);
    label_ = &form_->Make<gui::Label>("Target");
    label_->SetParent(panel_);
    label_->OnClick = [&] { ++clicks_; };
    label_->OnDoubleClick = [&] { ++doubleClicks_; };
    form_->ShowForm();
  }
  gui::Form* form_ = nullptr;
  gui::Panel* panel_ = nullptr;
  gui::Label* label_ = nullptr;
  int clicks_ = 0;
  int doubleClicks_ = 0;
};

TEST_F(ControlInputTest, ClicksAndDoubleClicksReachOnlyReachableControls) {
  struct Case {
    const char* what;
    bool labelEnabled, labelVisible, panelEnabled, panelVisible;
    bool reaches;
  };
  const Case cases[] = {
      {"enabled and showing", true, true, true, true, true},
      {"disabled control", false, true, true, true, false},
      {"hidden control", true, false, true, true, false},
      {"disabled parent", true, true, false, true, false},
      {"hidden parent", true, true, true, false, false},
  };
  for (const Case& c : cases) {
    label_->SetEnabled(c.labelEnabled);
    label_->SetVisible(c.labelVisible);
    panel_->SetEnabled(c.panelEnabled);
    panel_->SetVisible(c.panelVisible);
    clicks_ = doubleClicks_ = 0;
    label_->UserClick();
    label_->UserDoubleClick();
    EXPECT_EQ(clicks_, c.reaches ? 1 : 0) << c.what;
    EXPECT_EQ(doubleClicks_, c.reaches ? 1 : 0) << c.what;
  }
}

TEST_F(ControlInputTest, AnExceptionInAClickHandlerIsReportedAndTheLoopGoesOn) {
  label_->OnDoubleClick = [] { throw Exception("Invalid data type for 'x'"); };
  User().ExpectErrorReport("Invalid data type for 'x'");
  User().DoubleClick("Target").Step([&] { App().Terminate(); }, "end");
  App().Run();
}

}  // namespace
