#pragma once
// The wizard window: welcome, licence, folder and confirmation pages, then the finish page.
#include "platform/AnsiString.h"
#include "platform/gui/Form.h"

// Program-wide options set by the wizard's check boxes.
extern bool CreateDesktopShortcut;
extern bool RunAfterFinish;

class TFormSchedule : public gui::Form {
 public:
  TFormSchedule(gui::Component* owner, AnsiString name);
  ~TFormSchedule() override;

  bool InstallStarted = false;

  void FormCreate();
  void FormCloseQuery(bool& CanClose);
  void FormClose(gui::CloseAction& action);

 private:
  void BuildLayout();
};

extern TFormSchedule* FormSchedule;
