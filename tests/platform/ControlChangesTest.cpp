// A control tells its peer what changed, and only that, so a peer never rewrites what stayed.
#include "platform/gui/CheckBox.h"
#include "platform/gui/ProgressBar.h"
#include "support/SimTest.h"

namespace {

class ControlChangesTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("Probe");
    form_->ShowForm();
  }
  template <class T>
  T& Put(const AnsiString& name) {
    T& control = form_->Make<T>(name);
    control.SetParent(form_);
    return control;
  }
  int Updates(const gui::Control& control, gui::Aspect aspect) {
    return Backend().Updates(control, aspect);
  }
  gui::Form* form_ = nullptr;
};

TEST_F(ControlChangesTest, AProgressBarSetAHundredTimesOnlyMovesItsPosition) {
  auto& bar = Put<gui::ProgressBar>("pgbs");
  bar.SetRange(0, 100);
  const int textBefore = Updates(bar, gui::Aspect::Text);
  const int boundsBefore = Updates(bar, gui::Aspect::Bounds);
  for (int position = 1; position <= 100; ++position) bar.SetPosition(position);
  EXPECT_EQ(Updates(bar, gui::Aspect::Value), 100);
  EXPECT_EQ(Updates(bar, gui::Aspect::Text), textBefore);
  EXPECT_EQ(Updates(bar, gui::Aspect::Bounds), boundsBefore);
  bar.SetPosition(100);
  bar.SetPosition(250);  // kept at the end of the range: no change
  EXPECT_EQ(Updates(bar, gui::Aspect::Value), 100);
  EXPECT_EQ(bar.Position(), 100);
}

TEST_F(ControlChangesTest, EachSetterNamesItsOwnAspectAndAnUnchangedValueNamesNone) {
  auto& box = Put<gui::CheckBox>("chbrun");
  struct Step {
    const char* what;
    std::function<void()> change;
    gui::Aspect aspect;
    int expected;  // updates of that aspect after the step
  };
  const Step steps[] = {
      {"caption", [&] { box.SetCaption("运行软件"); }, gui::Aspect::Text, 1},
      {"same caption", [&] { box.SetCaption("运行软件"); }, gui::Aspect::Text, 1},
      {"checked", [&] { box.SetChecked(true); }, gui::Aspect::Value, 1},
      {"checked again", [&] { box.SetChecked(true); }, gui::Aspect::Value, 1},
      {"bounds", [&] { box.SetBounds(92, 106, 97, 17); }, gui::Aspect::Bounds, 1},
      {"same bounds", [&] { box.SetBounds(92, 106, 97, 17); }, gui::Aspect::Bounds, 1},
      {"disabled", [&] { box.SetEnabled(false); }, gui::Aspect::Enabled, 1},
      {"hidden", [&] { box.Hide(); }, gui::Aspect::Visible, 1},
  };
  for (const Step& step : steps) {
    const int text = Updates(box, gui::Aspect::Text);
    step.change();
    EXPECT_EQ(Updates(box, step.aspect), step.expected) << step.what;
    if (step.aspect != gui::Aspect::Text) {
      EXPECT_EQ(Updates(box, gui::Aspect::Text), text) << step.what << " rewrote the text";
    }
  }
}

}  // namespace
