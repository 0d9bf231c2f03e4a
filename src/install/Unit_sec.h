#pragma once
// The progress window in which the installation runs. Its run (extraction and registration)
// comes with the installation engine; for now the window offers its status line, its progress
// bar and its Cancel button.
#include "platform/AnsiString.h"
#include "platform/gui/Form.h"

namespace gui {
class Button;
class Label;
class ProgressBar;
class Shape;
class Timer;
}  // namespace gui

class TFormsec : public gui::Form {
 public:
  TFormsec(gui::Component* owner, AnsiString name);

  bool RunComplete = false;
  AnsiString TargetName;

  gui::Shape* Shape1 = nullptr;
  gui::Label* lbls = nullptr;
  gui::ProgressBar* pgbs = nullptr;
  gui::Button* btncel = nullptr;
  gui::Panel* pnlok = nullptr;
  gui::Label* Label1 = nullptr;
  gui::Label* Label2 = nullptr;
  gui::Button* btnok = nullptr;
  gui::Timer* Timer1 = nullptr;

  void FormCreate();
  void FormActivate();
  void btncelClick();
  void FormClose(gui::CloseAction& action);

 private:
  void BuildLayout();
};
