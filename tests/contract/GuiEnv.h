#pragma once
// The GUI of one contract test: an application on the back end of the build and a user who acts
// on its controls. In the Windows build the user works through the real windows: a click is a
// button click message or a mouse press on the control's window, typing is one WM_CHAR per
// character into the edit control, so the peers' mapping of notifications is under test. On the
// headless back end the user is the scripted user. The same table of cases runs on both.
#include <memory>

#include "platform/AnsiString.h"
#include "platform/gui/Application.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"

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

 private:
  std::unique_ptr<gui::Application> application_;
};

}  // namespace contract
