#pragma once
// The uninstaller's window, in the progress window's style: a white box with a blue frame, what
// is being done and how far it is.
#include "platform/gui/Form.h"

namespace gui {
class Label;
class ProgressBar;
class Shape;
}  // namespace gui

class TFormUninstall : public gui::Form {
 public:
  TFormUninstall(gui::Component* owner, AnsiString name);
  ~TFormUninstall() override;

  gui::Shape* Shape1 = nullptr;
  gui::Label* lblTitle = nullptr;
  gui::Label* lblStatus = nullptr;
  gui::ProgressBar* pgbRemove = nullptr;

  // Shows how far the removal is (0 to 100) and lets the window repaint.
  void ShowProgress(int percent);

 private:
  void BuildLayout();
};
