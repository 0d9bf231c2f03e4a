#include "wizard/Unit_Schedule.h"

#include "host/Unit_main.h"
#include "platform/gui/Application.h"

bool CreateDesktopShortcut = true;
bool RunAfterFinish = true;
TFormSchedule* FormSchedule = nullptr;

namespace {
constexpr int kClientWidth = 547;
constexpr int kClientHeight = 397;
constexpr const char* kExitQuestion = "确定要退出安装程序吗?";
constexpr const char* kExitTitle = "退出安装";
}  // namespace

TFormSchedule::TFormSchedule(gui::Component* owner, AnsiString name)
    : gui::Form(owner, name.empty() ? AnsiString("FormSchedule") : std::move(name)) {
  BuildLayout();
  OnCreate = [this] { FormCreate(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnClose = [this](gui::CloseAction& action) { FormClose(action); };
}

TFormSchedule::~TFormSchedule() {
  if (FormSchedule == this) FormSchedule = nullptr;
}

void TFormSchedule::BuildLayout() {
  SetBorderStyle(gui::BorderStyle::Dialog);
  SetPosition(gui::Position::ScreenCenter);
  SetClientSize(kClientWidth, kClientHeight);
  SetColor(gui::clWhite);
  gui::Font font;
  font.name = "Tahoma";
  font.height = 12;
  SetFont(font);
  SetCaption("Korvello");
}

void TFormSchedule::FormCreate() {
  InstallStarted = false;
  RunAfterFinish = true;
  CreateDesktopShortcut = true;
  SetCaption(Formain->ReadSetupValue("Form", "Caption"));
}

void TFormSchedule::FormCloseQuery(bool& CanClose) {
  const int answer =
      gui::Application::Instance().MessageBox(kExitQuestion, kExitTitle, gui::mb::kOkCancel, this);
  if (answer == gui::idOk) {
    Formain->Close();
    CanClose = true;
  } else {
    CanClose = false;
  }
}

void TFormSchedule::FormClose(gui::CloseAction& action) { action = gui::CloseAction::Free; }
