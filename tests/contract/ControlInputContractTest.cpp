// What the user can do to each kind of control, the same on the real windows and on the
// headless back end: a click, a toggle, the radio group rule, typing; and input on a control the
// user cannot reach (disabled or hidden, itself or its parent) changes nothing. A control kind
// with no peer is refused in both.
#include <functional>
#include <ostream>
#include <string>

#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Memo.h"
#include "platform/gui/RadioButton.h"
#include "support/TestNames.h"

namespace contract {
namespace {

// What the program saw of the user: every handler counts, every state is read.
struct Observed {
  int buttonClicks = 0, checkClicks = 0, radio1Clicks = 0, radio2Clicks = 0, labelClicks = 0;
  int editChanges = 0, memoChanges = 0;
  bool checked = false, radio1 = false, radio2 = false;
  AnsiString editText, memoText;

  bool operator==(const Observed& o) const {
    return buttonClicks == o.buttonClicks && checkClicks == o.checkClicks &&
           radio1Clicks == o.radio1Clicks && radio2Clicks == o.radio2Clicks &&
           labelClicks == o.labelClicks && editChanges == o.editChanges &&
           memoChanges == o.memoChanges && checked == o.checked && radio1 == o.radio1 &&
           radio2 == o.radio2 && editText == o.editText && memoText == o.memoText;
  }
};

std::ostream& operator<<(std::ostream& out, const Observed& o) {
  return out << "clicks button " << o.buttonClicks << " check " << o.checkClicks << " radio1 "
             << o.radio1Clicks << " radio2 " << o.radio2Clicks << " label " << o.labelClicks
             << "; changes edit " << o.editChanges << " memo " << o.memoChanges << "; checked "
             << o.checked << " radio1 " << o.radio1 << " radio2 " << o.radio2 << "; edit \""
             << Readable(o.editText) << "\" memo \"" << Readable(o.memoText) << "\"";
}

// A form with a panel holding one control of every kind built so far.
class ProbeForm {
 public:
  explicit ProbeForm(gui::Application& app) : form(app.Make<gui::Form>("Probe")) {
    form.SetBounds(40, 40, 420, 300);
    box = &Put<gui::Panel>(form, "Box", 0, 0, 400, 280);
    button = &Put<gui::Button>(*box, "Button1", 10, 10, 90, 24);
    button->SetCaption("下一步 >");
    check = &Put<gui::CheckBox>(*box, "chbdesktop", 10, 40, 180, 20);
    check->SetCaption("创建桌面快捷方式");
    radio1 = &Put<gui::RadioButton>(*box, "RadioButton1", 10, 64, 180, 20);
    radio1->SetCaption("我同意以上条款");
    radio1->SetChecked(true);
    radio2 = &Put<gui::RadioButton>(*box, "RadioButton2", 10, 88, 180, 20);
    radio2->SetCaption("我不同意以上条款");
    edit = &Put<gui::Edit>(*box, "Edit_Path", 10, 116, 300, 22);
    edit->SetText("D:\\Program Files\\DirName");
    memo = &Put<gui::Memo>(*box, "Memo1", 10, 144, 300, 80);
    memo->SetLines({"", "授权许可须知", "-----------------"});
    label = &Put<gui::Label>(*box, "Label4", 10, 234, 0, 0);
    label->SetCaption("请仔细阅读下面的协议条款");

    button->OnClick = [this] { ++seen.buttonClicks; };
    check->OnClick = [this] { ++seen.checkClicks; };
    radio1->OnClick = [this] { ++seen.radio1Clicks; };
    radio2->OnClick = [this] { ++seen.radio2Clicks; };
    label->OnClick = [this] { ++seen.labelClicks; };
    edit->OnChange = [this] { ++seen.editChanges; };
    memo->OnChange = [this] { ++seen.memoChanges; };
  }

  Observed Now() const {
    Observed now = seen;
    now.checked = check->Checked();
    now.radio1 = radio1->Checked();
    now.radio2 = radio2->Checked();
    now.editText = edit->Text();
    now.memoText = memo->Text();
    return now;
  }

  gui::Form& form;
  gui::Panel* box = nullptr;
  gui::Button* button = nullptr;
  gui::CheckBox* check = nullptr;
  gui::RadioButton* radio1 = nullptr;
  gui::RadioButton* radio2 = nullptr;
  gui::Edit* edit = nullptr;
  gui::Memo* memo = nullptr;
  gui::Label* label = nullptr;
  Observed seen;

 private:
  template <class T>
  T& Put(gui::Control& parent, const AnsiString& name, int left, int top, int width, int height) {
    T& control = form.Make<T>(name);
    control.SetBounds(left, top, width, height);
    control.SetParent(&parent);
    return control;
  }
};

enum class Blocker { None, DisabledControl, HiddenControl, DisabledParent, HiddenParent, ReadOnly };

const char* BlockerName(Blocker blocker) {
  switch (blocker) {
    case Blocker::None:
      return "reachable";
    case Blocker::DisabledControl:
      return "disabled";
    case Blocker::HiddenControl:
      return "hidden";
    case Blocker::DisabledParent:
      return "in a disabled parent";
    case Blocker::HiddenParent:
      return "in a hidden parent";
    case Blocker::ReadOnly:
      return "read-only";
  }
  return "?";
}

struct InputCase {
  const char* name;  // the test's name
  Blocker blocker;
  // The user's action on the probe form.
  std::function<void(GuiEnv&, ProbeForm&)> act;
  // The control the blocker applies to.
  std::function<gui::Control&(ProbeForm&)> target;
  // What the action does when it reaches the control (nothing else may change).
  std::function<void(Observed&)> effect;
};

void PrintTo(const InputCase& c, std::ostream* out) {
  *out << c.name << " (" << BlockerName(c.blocker) << ")";
}

const AnsiString kTypedPath = "E:\\软件\\Korvl280\\";
const AnsiString kTypedLines = "第一行\r\n第二行";

// The base cases, each reaching its control.
struct Action {
  const char* name;
  std::function<void(GuiEnv&, ProbeForm&)> act;
  std::function<gui::Control&(ProbeForm&)> target;
  std::function<void(Observed&)> effect;
};

const Action kActions[] = {
    {"ClickButton", [](GuiEnv& gui, ProbeForm& p) { gui.Click(*p.button); },
     [](ProbeForm& p) -> gui::Control& { return *p.button; },
     [](Observed& o) { ++o.buttonClicks; }},
    {"ToggleCheckBoxOn", [](GuiEnv& gui, ProbeForm& p) { gui.Click(*p.check); },
     [](ProbeForm& p) -> gui::Control& { return *p.check; },
     [](Observed& o) {
       o.checked = true;
       ++o.checkClicks;
     }},
    {"ToggleCheckBoxOnAndOffAgain",
     [](GuiEnv& gui, ProbeForm& p) {
       gui.Click(*p.check);
       gui.Click(*p.check);
     },
     [](ProbeForm& p) -> gui::Control& { return *p.check; },
     [](Observed& o) { o.checkClicks += 2; }},
    {"RadioButtonUnchecksItsSibling", [](GuiEnv& gui, ProbeForm& p) { gui.Click(*p.radio2); },
     [](ProbeForm& p) -> gui::Control& { return *p.radio2; },
     [](Observed& o) {
       o.radio1 = false;
       o.radio2 = true;
       ++o.radio2Clicks;
     }},
    {"CheckedRadioButtonClickedAgainChangesNothing",
     [](GuiEnv& gui, ProbeForm& p) { gui.Click(*p.radio1); },
     [](ProbeForm& p) -> gui::Control& { return *p.radio1; }, [](Observed&) {}},
    {"TypeIntoEdit", [](GuiEnv& gui, ProbeForm& p) { gui.Type(*p.edit, kTypedPath); },
     [](ProbeForm& p) -> gui::Control& { return *p.edit; },
     [](Observed& o) {
       o.editText = kTypedPath;
       o.editChanges = -1;  // at least one change event: counted apart
     }},
    {"TypeLinesIntoMemo", [](GuiEnv& gui, ProbeForm& p) { gui.Type(*p.memo, kTypedLines); },
     [](ProbeForm& p) -> gui::Control& { return *p.memo; },
     [](Observed& o) {
       o.memoText = kTypedLines;
       o.memoChanges = -1;
     }},
    {"ClickLabel", [](GuiEnv& gui, ProbeForm& p) { gui.Click(*p.label); },
     [](ProbeForm& p) -> gui::Control& { return *p.label; }, [](Observed& o) { ++o.labelClicks; }},
};

std::vector<InputCase> AllCases() {
  std::vector<InputCase> cases;
  const Blocker blockers[] = {Blocker::None, Blocker::DisabledControl, Blocker::HiddenControl,
                              Blocker::DisabledParent, Blocker::HiddenParent};
  for (const Action& action : kActions) {
    for (Blocker blocker : blockers) {
      cases.push_back({action.name, blocker, action.act, action.target, action.effect});
    }
  }
  for (const Action& action : kActions) {
    const std::string name = action.name;
    if (name.rfind("Type", 0) == 0) {
      cases.push_back({action.name, Blocker::ReadOnly, action.act, action.target, action.effect});
    }
  }
  return cases;
}

class ControlInputContract : public ContractTest, public ::testing::WithParamInterface<InputCase> {
 protected:
  void Block(ProbeForm& probe, Blocker blocker) {
    gui::Control& target = GetParam().target(probe);
    switch (blocker) {
      case Blocker::None:
        break;
      case Blocker::DisabledControl:
        target.SetEnabled(false);
        break;
      case Blocker::HiddenControl:
        target.Hide();
        break;
      case Blocker::DisabledParent:
        probe.box->SetEnabled(false);
        break;
      case Blocker::HiddenParent:
        probe.box->Hide();
        break;
      case Blocker::ReadOnly:
        dynamic_cast<gui::Edit&>(target).SetReadOnly(true);
        break;
    }
  }

  GuiEnv gui_;
};

TEST_P(ControlInputContract, InputReachesOnlyAControlTheUserCanReach) {
  const InputCase& c = GetParam();
  ProbeForm probe(gui_.App());
  probe.form.ShowForm();
  Block(probe, c.blocker);
  probe.seen = Observed{};
  const Observed before = probe.Now();

  c.act(gui_, probe);

  Observed expected = before;
  const bool reaches = c.blocker == Blocker::None;
  if (reaches) c.effect(expected);
  Observed now = probe.Now();
  // Typing raises the change event once or once per character, as the user's keys arrive.
  for (auto [wanted, got] : {std::pair{&expected.editChanges, &now.editChanges},
                             std::pair{&expected.memoChanges, &now.memoChanges}}) {
    if (*wanted == -1) {
      EXPECT_GE(*got, 1) << "the change event never ran";
      *wanted = *got;
    }
  }
  EXPECT_EQ(now, expected) << c.name << ", " << BlockerName(c.blocker);
  // Whatever the model refused, the screen shows the model's state.
  EXPECT_EQ(gui_.ShownChecked(*probe.check), probe.check->Checked());
  EXPECT_EQ(gui_.ShownChecked(*probe.radio1), probe.radio1->Checked());
  EXPECT_EQ(gui_.ShownChecked(*probe.radio2), probe.radio2->Checked());
  EXPECT_EQ(Readable(gui_.ShownText(*probe.edit)), Readable(probe.edit->Text()));
  EXPECT_EQ(Readable(gui_.ShownText(*probe.memo)), Readable(probe.memo->Text()));
}

INSTANTIATE_TEST_SUITE_P(Table, ControlInputContract, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<InputCase>& info) {
                           return test_names::Name(std::string(info.param.name) + " " +
                                                   BlockerName(info.param.blocker));
                         });

// A kind the toolkit has no window for.
class Gauge : public gui::Control {
 public:
  using gui::Control::Control;
  const char* Kind() const override { return "Gauge"; }
  std::type_index PeerKind() const override { return typeid(Gauge); }
};

// A window class's own button: shown as the button it is.
class ExitButton : public gui::Button {
 public:
  using gui::Button::Button;
};

using ControlKindContract = ContractTest;

TEST_F(ControlKindContract, AKindWithoutAWindowIsRefusedWhenTheFormIsShown) {
  GuiEnv gui;
  auto& form = gui.App().Make<gui::Form>("Probe");
  auto& gauge = form.Make<Gauge>("pgbs");
  gauge.SetParent(&form);
  try {
    form.ShowForm();
    ADD_FAILURE() << "a control of kind Gauge was shown";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("Gauge"), std::string::npos) << error.what();
  }
  EXPECT_EQ(gauge.GetPeer(), nullptr);
}

TEST_F(ControlKindContract, ASubclassOfAKindIsShownAsThatKind) {
  GuiEnv gui;
  auto& form = gui.App().Make<gui::Form>("Probe");
  form.SetBounds(40, 40, 200, 100);
  auto& exit = form.Make<ExitButton>("btnexit");
  exit.SetBounds(10, 10, 80, 24);
  exit.SetCaption("退出");
  exit.SetParent(&form);
  int clicks = 0;
  exit.OnClick = [&] { ++clicks; };
  form.ShowForm();
  ASSERT_NE(exit.GetPeer(), nullptr);
  gui.Click(exit);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Readable(gui.ShownText(exit)), Readable("退出"));
}

}  // namespace
}  // namespace contract
