// What the user can do to each kind of control, the same on the real windows and on the
// headless back end: a click, a toggle, the radio group rule, typing, selecting and
// double-clicking a grid row; and input on a control the user cannot reach (disabled or hidden,
// itself or its parent) changes nothing. A control kind with no peer is refused in both, and what
// the program puts in a grid is what its window shows.
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
#include "platform/gui/StringGrid.h"
#include "support/TestNames.h"

namespace contract {
namespace {

// What the program saw of the user: every handler counts, every state is read.
struct Observed {
  int buttonClicks = 0, checkClicks = 0, radio1Clicks = 0, radio2Clicks = 0, labelClicks = 0;
  int editChanges = 0, memoChanges = 0;
  bool checked = false, radio1 = false, radio2 = false;
  AnsiString editText, memoText;
  // The string grid: its events and its current row.
  int gridClicks = 0, gridDoubleClicks = 0, gridRow = 0;

  bool operator==(const Observed& o) const {
    return buttonClicks == o.buttonClicks && checkClicks == o.checkClicks &&
           radio1Clicks == o.radio1Clicks && radio2Clicks == o.radio2Clicks &&
           labelClicks == o.labelClicks && editChanges == o.editChanges &&
           memoChanges == o.memoChanges && checked == o.checked && radio1 == o.radio1 &&
           radio2 == o.radio2 && editText == o.editText && memoText == o.memoText &&
           gridClicks == o.gridClicks && gridDoubleClicks == o.gridDoubleClicks &&
           gridRow == o.gridRow;
  }
};

std::ostream& operator<<(std::ostream& out, const Observed& o) {
  return out << "clicks button " << o.buttonClicks << " check " << o.checkClicks << " radio1 "
             << o.radio1Clicks << " radio2 " << o.radio2Clicks << " label " << o.labelClicks
             << "; changes edit " << o.editChanges << " memo " << o.memoChanges << "; checked "
             << o.checked << " radio1 " << o.radio1 << " radio2 " << o.radio2 << "; edit \""
             << Readable(o.editText) << "\" memo \"" << Readable(o.memoText) << "\"; grid clicks "
             << o.gridClicks << " double-clicks " << o.gridDoubleClicks << " row " << o.gridRow;
}

// A drive table as a folder page shows one: no border, whole-row selection, horizontal lines,
// rows 14 pixels high in a 12-pixel SimSun, three drives in three columns.
void FillDriveTable(gui::StringGrid& grid) {
  gui::GridOptions options;
  options.border = false;
  options.rowSelect = true;
  options.vertLines = false;
  options.scrollBars = gui::ScrollBars::Vertical;
  grid.SetOptions(options);
  grid.SetFont(gui::Font{"SimSun", 12, gui::GB2312_CHARSET});
  grid.SetDefaultRowHeight(14);
  grid.SetColCount(3);
  grid.SetRowCount(3);
  const int widths[] = {50, 80, 80};
  const char* const cells[3][3] = {
      {"C:\\", "74.5 GB", "9.55 GB"}, {"D:\\", "120.0 GB", "可用空间"}, {"E:\\", "", "0.01 GB"}};
  for (int col = 0; col < 3; ++col) {
    grid.SetColWidth(col, widths[col]);
    for (int row = 0; row < 3; ++row) grid.SetCell(col, row, cells[row][col]);
  }
}

// A form with a panel holding one control of every kind built so far.
class ProbeForm {
 public:
  explicit ProbeForm(gui::Application& app) : form(app.Make<gui::Form>("Probe")) {
    form.SetBounds(40, 40, 420, 420);
    box = &Put<gui::Panel>(form, "Box", 0, 0, 400, 380);
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
    grid = &Put<gui::StringGrid>(*box, "DiskGrid", 10, 256, 300, 100);
    FillDriveTable(*grid);

    button->OnClick = [this] { ++seen.buttonClicks; };
    check->OnClick = [this] { ++seen.checkClicks; };
    radio1->OnClick = [this] { ++seen.radio1Clicks; };
    radio2->OnClick = [this] { ++seen.radio2Clicks; };
    label->OnClick = [this] { ++seen.labelClicks; };
    edit->OnChange = [this] { ++seen.editChanges; };
    memo->OnChange = [this] { ++seen.memoChanges; };
    grid->OnClick = [this] { ++seen.gridClicks; };
    grid->OnDoubleClick = [this] { ++seen.gridDoubleClicks; };
  }

  Observed Now() const {
    Observed now = seen;
    now.checked = check->Checked();
    now.radio1 = radio1->Checked();
    now.radio2 = radio2->Checked();
    now.editText = edit->Text();
    now.memoText = memo->Text();
    now.gridRow = grid->Row();
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
  gui::StringGrid* grid = nullptr;
  Observed seen;

 private:
  template <class T>
  T& Put(gui::Control& parent, const AnsiString& name, int left, int top, int width, int height) {
    return PutControl<T>(form, parent, name, left, top, width, height);
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
    // The string grid (row 0 is current when the case starts).
    {"SelectGridRow", [](GuiEnv& gui, ProbeForm& p) { gui.SelectRow(*p.grid, 2); },
     [](ProbeForm& p) -> gui::Control& { return *p.grid; },
     [](Observed& o) {
       o.gridRow = 2;
       ++o.gridClicks;
     }},
    {"SelectTheCurrentGridRowAgainChangesNothing",
     [](GuiEnv& gui, ProbeForm& p) { gui.SelectRow(*p.grid, 0); },
     [](ProbeForm& p) -> gui::Control& { return *p.grid; }, [](Observed&) {}},
    {"DoubleClickGridRowSelectsItFirst",
     [](GuiEnv& gui, ProbeForm& p) { gui.DoubleClickRow(*p.grid, 1); },
     [](ProbeForm& p) -> gui::Control& { return *p.grid; },
     [](Observed& o) {
       o.gridRow = 1;
       ++o.gridClicks;
       ++o.gridDoubleClicks;
     }},
    {"DoubleClickTheCurrentGridRow",
     [](GuiEnv& gui, ProbeForm& p) { gui.DoubleClickRow(*p.grid, 0); },
     [](ProbeForm& p) -> gui::Control& { return *p.grid; },
     [](Observed& o) { ++o.gridDoubleClicks; }},
    {"DoubleClickBelowTheLastGridRowChangesNothing",
     [](GuiEnv& gui, ProbeForm& p) { gui.DoubleClickRow(*p.grid, 4); },
     [](ProbeForm& p) -> gui::Control& { return *p.grid; }, [](Observed&) {}},
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

// The grid's window shows the model: its rows and columns, every cell, the current row selected.
void ExpectGridShown(GuiEnv& gui, gui::StringGrid& grid) {
  ASSERT_EQ(gui.ShownRowCount(grid), grid.RowCount());
  ASSERT_EQ(gui.ShownColCount(grid), grid.ColCount());
  EXPECT_EQ(gui.ShownRow(grid), grid.Row());
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      EXPECT_EQ(Readable(gui.ShownCell(grid, col, row)), Readable(grid.Cell(col, row)))
          << "column " << col << ", row " << row;
    }
  }
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
  ExpectGridShown(gui_, *probe.grid);
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

// What the program does to a grid shows in its window at once, and none of it is the user's:
// no event runs.
TEST_F(ControlKindContract, WhatTheProgramPutsInAGridIsWhatItsWindowShows) {
  GuiEnv gui;
  auto& form = gui.App().Make<gui::Form>("Probe");
  form.SetBounds(40, 40, 420, 200);
  auto& grid = form.Make<gui::StringGrid>("DiskGrid");
  grid.SetBounds(10, 10, 386, 89);
  grid.SetParent(&form);
  FillDriveTable(grid);
  int events = 0;
  grid.OnClick = [&] { ++events; };
  grid.OnDoubleClick = [&] { ++events; };
  form.ShowForm();
  struct Step {
    const char* what;
    std::function<void()> change;
  };
  const Step steps[] = {
      {"shown", [] {}},
      {"current row moved", [&] { grid.SetRow(2); }},
      {"cut back to one row", [&] { grid.SetRowCount(1); }},
      {"grown by a row", [&] { grid.SetRowCount(2); }},
      {"cells written",
       [&] {
         grid.SetCell(0, 1, "F:\\");
         grid.SetCell(2, 1, "剩余空间");
       }},
      {"five columns", [&] { grid.SetColCount(5); }},
      {"a cell of a new column", [&] { grid.SetCell(4, 0, " 9.53 GB"); }},
      {"a cell emptied", [&] { grid.SetCell(0, 0, ""); }},
      {"current row moved again", [&] { grid.SetRow(1); }},
      {"two columns", [&] { grid.SetColCount(2); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    gui.App().ProcessMessages();
    ExpectGridShown(gui, grid);
  }
  EXPECT_EQ(events, 0) << "the program's changes ran the user's events";
  // Rows as high as the grid's row height, higher or lower again, wherever the font's own line is
  // lower (nothing makes a row of a list view lower than its text).
  for (int height : {20, 26, 18}) {
    grid.SetDefaultRowHeight(height);
    EXPECT_EQ(gui.ShownRowHeight(grid), height);
  }
}

}  // namespace
}  // namespace contract
