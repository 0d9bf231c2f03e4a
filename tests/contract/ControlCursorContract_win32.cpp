// The mouse pointer a control's window shows: the pointing hand where the control asks for it,
// else the window's own (the arrow; the I-beam over a text box). The window answers the
// system's WM_SETCURSOR as the mouse moves over its client area. Windows only: the headless back
// end has no pointer.
#include <ostream>

#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "contract/Win32Support.h"
#include "platform/gui/Button.h"
#include "platform/gui/Edit.h"
#include "support/TestNames.h"

namespace contract {
namespace {

enum class Kind { Button, Edit, Panel };

struct CursorCase {
  const char* what;
  Kind kind;
  gui::Cursor cursor;
  LPCSTR shown;  // the system cursor the window sets
};

void PrintTo(const CursorCase& c, std::ostream* out) { *out << c.what; }

const CursorCase kCursorCases[] = {
    {"a button with the window's own pointer", Kind::Button, gui::Cursor::Default, IDC_ARROW},
    {"a button with the hand", Kind::Button, gui::Cursor::HandPoint, IDC_HAND},
    {"a text box with the window's own pointer", Kind::Edit, gui::Cursor::Default, IDC_IBEAM},
    {"a text box with the hand", Kind::Edit, gui::Cursor::HandPoint, IDC_HAND},
    {"a panel with the hand", Kind::Panel, gui::Cursor::HandPoint, IDC_HAND},
};

class ControlCursorContract : public ContractTest {
 protected:
  ControlCursorContract() : form_(gui_.App().Make<gui::Form>("Probe")) {
    form_.SetBounds(40, 40, 300, 200);
  }

  gui::Control& Put(Kind kind) {
    gui::Control* control = nullptr;
    switch (kind) {
      case Kind::Button:
        control = &form_.Make<gui::Button>("BtnNext");
        break;
      case Kind::Edit:
        control = &form_.Make<gui::Edit>("Edit_Path");
        break;
      case Kind::Panel:
        control = &form_.Make<gui::Panel>("Panel1");
        break;
    }
    control->SetBounds(20, 20, 77, 23);
    control->SetParent(&form_);
    return *control;
  }

  // The pointer the system sets when the mouse moves over the window at hitTest.
  static HCURSOR PointerOver(HWND window, WORD hitTest) {
    ::SetCursor(nullptr);
    ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(hitTest, WM_MOUSEMOVE));
    return ::GetCursor();
  }

  GuiEnv gui_;
  gui::Form& form_;
};

HCURSOR SystemCursor(LPCSTR id) { return ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(id)); }

class CursorTable : public ControlCursorContract,
                    public ::testing::WithParamInterface<CursorCase> {};

TEST_P(CursorTable, TheWindowShowsTheControlsPointerOverItsClientArea) {
  const CursorCase& c = GetParam();
  gui::Control& control = Put(c.kind);
  control.SetCursor(c.cursor);
  form_.ShowForm();
  EXPECT_EQ(PointerOver(WindowOf(control), HTCLIENT), SystemCursor(c.shown));
  // The form around it keeps the arrow.
  EXPECT_EQ(PointerOver(WindowOf(form_), HTCLIENT), SystemCursor(IDC_ARROW));
}

INSTANTIATE_TEST_SUITE_P(Table, CursorTable, ::testing::ValuesIn(kCursorCases),
                         [](const ::testing::TestParamInfo<CursorCase>& info) {
                           return test_names::Name(info.param.what);
                         });

TEST_F(ControlCursorContract, APointerSetOnAShownControlShowsAtTheNextMove) {
  gui::Control& button = Put(Kind::Button);
  form_.ShowForm();
  EXPECT_EQ(PointerOver(WindowOf(button), HTCLIENT), SystemCursor(IDC_ARROW));
  button.SetCursor(gui::Cursor::HandPoint);
  EXPECT_EQ(PointerOver(WindowOf(button), HTCLIENT), SystemCursor(IDC_HAND));
  button.SetCursor(gui::Cursor::Default);
  EXPECT_EQ(PointerOver(WindowOf(button), HTCLIENT), SystemCursor(IDC_ARROW));
}

}  // namespace
}  // namespace contract
