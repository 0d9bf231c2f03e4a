#pragma once
// The GUI of one contract test: an application on the back end of the build and a user who acts
// on its controls. In the Windows build the user works through the real windows: a click is a
// button click message or a mouse press on the control's window, typing is one WM_CHAR per
// character into the edit control, selecting a grid row is the selection a click makes in the
// list view, so the peers' mapping of notifications is under test. On the headless back end the
// user is the scripted user. The same table of cases runs on both.
#include <memory>

#include "platform/AnsiString.h"
#include "platform/gui/Application.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/StringGrid.h"

namespace contract {

class GuiEnv {
 public:
  // Needs the machine of a ContractEnv (the simulated one, in the host build).
  GuiEnv();
  ~GuiEnv();
  GuiEnv(const GuiEnv&) = delete;
  GuiEnv& operator=(const GuiEnv&) = delete;

  gui::Application& App() { return *application_; }

  // The user clicks the control, as on screen; the program has handled it when this returns.
  void Click(gui::Control& control);
  // The user replaces the text of the edit box by typing text.
  void Type(gui::Edit& edit, const AnsiString& text);
  // The text the control shows on screen (its window text in the Windows build).
  AnsiString ShownText(gui::Control& control);
  // Whether a check box or radio button shows its check mark.
  bool ShownChecked(gui::Control& control);

  // ---- String grids.
  // The user selects a row of the grid, as a click on it does, or double-clicks a row; a row
  // past the last one is a click on the empty space below the rows.
  void SelectRow(gui::StringGrid& grid, int row);
  void DoubleClickRow(gui::StringGrid& grid, int row);
  // The text a cell shows; the number of rows and columns shown; the row shown selected (-1:
  // none); the height of the rows on screen in pixels.
  AnsiString ShownCell(gui::StringGrid& grid, int col, int row);
  int ShownRowCount(gui::StringGrid& grid);
  int ShownColCount(gui::StringGrid& grid);
  int ShownRow(gui::StringGrid& grid);
  int ShownRowHeight(gui::StringGrid& grid);

 private:
  std::unique_ptr<gui::Application> application_;
};

// Makes a control of form named name, at the bounds given inside parent.
template <class T>
T& PutControl(gui::Form& form, gui::Control& parent, const AnsiString& name, int left, int top,
              int width, int height) {
  T& control = form.Make<T>(name);
  control.SetBounds(left, top, width, height);
  control.SetParent(&parent);
  return control;
}

}  // namespace contract

// ---- Whether a control shows: the page book's contract.
namespace contract {

// Whether the control shows on screen: it has a window, and that window and every window it lies
// in are visible (on the headless back end: it has a peer, and it and every parent are visible).
bool ShownVisible(gui::Control& control);

}  // namespace contract
