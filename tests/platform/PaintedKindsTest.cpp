// The kinds the toolkit paints itself (header cells, separators, shapes, images, bevelled
// panels) keep their look in plain fields, and each setter names its own aspect, once, only when
// the value changed.
#include <functional>

#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/Shape.h"
#include "support/SimTest.h"

namespace {

class PaintedKindsTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form_ = &App().Make<gui::Form>("FormSchedule");
    form_->ShowForm();
  }
  template <class T>
  T& Put(const AnsiString& name) {
    T& control = form_->Make<T>(name);
    control.SetParent(form_);
    return control;
  }
  gui::Form* form_ = nullptr;
};

TEST_F(PaintedKindsTest, EachSetterNamesItsOwnAspectOnceAndAnUnchangedValueNamesNone) {
  auto& image = Put<gui::Image>("Imagtop");
  auto& shape = Put<gui::Shape>("Shape1");
  auto& panel = Put<gui::Panel>("Panel3");
  auto& header = Put<gui::HeaderCell>("FieldHeader4");
  struct Step {
    const char* what;
    gui::Control& control;
    std::function<void()> change;
    gui::Aspect aspect;
    int expected;  // updates of that aspect after the step
  };
  const Step steps[] = {
      {"bitmap", image, [&] { image.SetBitmapResource("IMAGTOP"); }, gui::Aspect::Value, 1},
      {"same bitmap", image, [&] { image.SetBitmapResource("IMAGTOP"); }, gui::Aspect::Value, 1},
      {"stretch", image, [&] { image.SetStretch(true); }, gui::Aspect::Style, 1},
      {"stretch again", image, [&] { image.SetStretch(true); }, gui::Aspect::Style, 1},
      {"no bitmap", image, [&] { image.SetBitmapResource(""); }, gui::Aspect::Value, 2},
      {"pen colour", shape, [&] { shape.SetPenColor(gui::RGB(128, 128, 128)); }, gui::Aspect::Style,
       1},
      {"same pen colour", shape, [&] { shape.SetPenColor(gui::RGB(128, 128, 128)); },
       gui::Aspect::Style, 1},
      {"pen width", shape, [&] { shape.SetPenWidth(3); }, gui::Aspect::Style, 2},
      {"same pen width", shape, [&] { shape.SetPenWidth(3); }, gui::Aspect::Style, 2},
      {"no pen width (one pixel)", shape, [&] { shape.SetPenWidth(0); }, gui::Aspect::Style, 3},
      {"one pixel again", shape, [&] { shape.SetPenWidth(1); }, gui::Aspect::Style, 3},
      {"lowered bevel", panel, [&] { panel.SetBevelOuter(gui::PanelBevel::Lowered); },
       gui::Aspect::Style, 1},
      {"bevel on (raised)", panel, [&] { panel.SetBevel(true); }, gui::Aspect::Style, 2},
      {"bevel on again", panel, [&] { panel.SetBevel(true); }, gui::Aspect::Style, 2},
      {"header caption", header, [&] { header.SetCaption(" 剩余空间"); }, gui::Aspect::Text, 1},
  };
  for (const Step& step : steps) {
    const int bounds = Backend().Updates(step.control, gui::Aspect::Bounds);
    const int value = Backend().Updates(step.control, gui::Aspect::Value);
    step.change();
    EXPECT_EQ(Backend().Updates(step.control, step.aspect), step.expected) << step.what;
    EXPECT_EQ(Backend().Updates(step.control, gui::Aspect::Bounds), bounds) << step.what;
    if (step.aspect != gui::Aspect::Value) {
      EXPECT_EQ(Backend().Updates(step.control, gui::Aspect::Value), value) << step.what;
    }
  }
  EXPECT_EQ(image.BitmapResource(), "");
  EXPECT_TRUE(image.Stretch());
  EXPECT_EQ(shape.PenColor(), gui::RGB(128, 128, 128));
  EXPECT_EQ(shape.PenWidth(), 1);
  EXPECT_EQ(panel.BevelOuter(), gui::PanelBevel::Raised);
}

TEST_F(PaintedKindsTest, APanelIsRaisedUnlessMadeFlatOrLowered) {
  auto& panel = Put<gui::Panel>("ButtonBar1");
  EXPECT_EQ(panel.BevelOuter(), gui::PanelBevel::Raised);
  panel.SetBevel(false);
  EXPECT_EQ(panel.BevelOuter(), gui::PanelBevel::None);
  EXPECT_FALSE(panel.Bevel());
  panel.SetBevelOuter(gui::PanelBevel::Lowered);
  EXPECT_TRUE(panel.Bevel()) << "a lowered panel has a bevel";
}

}  // namespace
