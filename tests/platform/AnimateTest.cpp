// The animation's model: its defaults, which aspect each setting names to the peer (and that an
// unchanged or out-of-range value names none), and the clip the headless peer opens.
#include <functional>

#include "platform/gui/Animate.h"
#include "support/SimTest.h"

namespace {

class AnimateTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("Formprogress");
    animate_ = &form_->Make<gui::Animate>("ams");
    animate_->SetParent(form_);
  }
  int Updates(gui::Aspect aspect) { return Backend().Updates(*animate_, aspect); }
  gui::Form* form_ = nullptr;
  gui::Animate* animate_ = nullptr;
};

TEST_F(AnimateTest, ANewAnimationHasNoClipPlaysNothingAndRunsFromTheFirstFrameEndlessly) {
  const gui::Animate& animate = *animate_;
  EXPECT_EQ(animate.GetCommonAvi(), gui::CommonAvi::None);
  EXPECT_EQ(animate.StartFrame(), 1);
  EXPECT_EQ(animate.StopFrame(), 0) << "to the clip's last frame";
  EXPECT_EQ(animate.Repetitions(), 0) << "endlessly";
  EXPECT_FALSE(animate.Active());
  EXPECT_FALSE(animate.Transparent());
  EXPECT_FALSE(animate.ClipOpened());
}

TEST_F(AnimateTest, EachSettingNamesItsAspectAndAnUnchangedValueNamesNone) {
  form_->ShowForm();
  auto& a = *animate_;
  struct Step {
    const char* what;
    std::function<void()> change;
    int values;  // Value updates after the step
    int styles;  // Style updates after the step
  };
  const Step steps[] = {
      {"clip", [&] { a.SetCommonAvi(gui::CommonAvi::CopyFile); }, 1, 0},
      {"same clip", [&] { a.SetCommonAvi(gui::CommonAvi::CopyFile); }, 1, 0},
      {"start frame", [&] { a.SetStartFrame(3); }, 2, 0},
      {"same start frame", [&] { a.SetStartFrame(3); }, 2, 0},
      {"start frame 0 is the first", [&] { a.SetStartFrame(0); }, 3, 0},
      {"start frame -5 is the first too", [&] { a.SetStartFrame(-5); }, 3, 0},
      {"stop frame", [&] { a.SetStopFrame(31); }, 4, 0},
      {"negative stop frame is the last", [&] { a.SetStopFrame(-1); }, 5, 0},
      {"repetitions", [&] { a.SetRepetitions(2); }, 6, 0},
      {"negative repetitions are endless", [&] { a.SetRepetitions(-3); }, 7, 0},
      {"endless again", [&] { a.SetRepetitions(0); }, 7, 0},
      {"active", [&] { a.SetActive(true); }, 8, 0},
      {"active again", [&] { a.SetActive(true); }, 8, 0},
      {"stopped", [&] { a.SetActive(false); }, 9, 0},
      {"transparent", [&] { a.SetTransparent(true); }, 9, 1},
      {"transparent again", [&] { a.SetTransparent(true); }, 9, 1},
      {"opaque", [&] { a.SetTransparent(false); }, 9, 2},
  };
  const int texts = Updates(gui::Aspect::Text);
  const int bounds = Updates(gui::Aspect::Bounds);
  const int values = Updates(gui::Aspect::Value);
  const int styles = Updates(gui::Aspect::Style);
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(Updates(gui::Aspect::Value) - values, step.values) << step.what;
    EXPECT_EQ(Updates(gui::Aspect::Style) - styles, step.styles) << step.what;
  }
  EXPECT_EQ(Updates(gui::Aspect::Text), texts) << "no setting rewrote the text";
  EXPECT_EQ(Updates(gui::Aspect::Bounds), bounds) << "no setting moved the control";
  EXPECT_EQ(a.StartFrame(), 1);
  EXPECT_EQ(a.StopFrame(), 0);
  EXPECT_EQ(a.Repetitions(), 0);
  EXPECT_FALSE(a.Active());
  EXPECT_FALSE(a.Transparent());
}

TEST_F(AnimateTest, TheHeadlessPeerOpensTheNamedClipWhenItIsMadeAndWhenTheClipChanges) {
  // The progress window's settings, made before the window is shown.
  animate_->SetCommonAvi(gui::CommonAvi::CopyFile);
  animate_->SetStartFrame(1);
  animate_->SetStopFrame(31);
  animate_->SetActive(true);
  EXPECT_EQ(animate_->GetPeer(), nullptr);
  EXPECT_FALSE(animate_->ClipOpened()) << "nothing opened the clip yet";

  form_->ShowForm();
  ASSERT_NE(animate_->GetPeer(), nullptr);
  EXPECT_TRUE(animate_->ClipOpened());
  EXPECT_TRUE(animate_->Active());

  const int values = Updates(gui::Aspect::Value);
  animate_->SetActive(false);
  EXPECT_EQ(Updates(gui::Aspect::Value), values + 1) << "the peer hears that the clip stops";
  EXPECT_TRUE(animate_->ClipOpened()) << "a stopped clip stays open";

  animate_->SetCommonAvi(gui::CommonAvi::None);
  EXPECT_FALSE(animate_->ClipOpened());
  animate_->SetCommonAvi(gui::CommonAvi::CopyFile);
  EXPECT_TRUE(animate_->ClipOpened());
}

}  // namespace
