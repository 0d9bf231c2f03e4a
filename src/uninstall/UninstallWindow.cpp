#include "uninstall/UninstallWindow.h"

#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/Shape.h"

TFormUninstall::TFormUninstall(gui::Component* owner, AnsiString name)
    : gui::Form(owner, name.empty() ? AnsiString("FormUninstall") : std::move(name)) {
  BuildLayout();
}

TFormUninstall::~TFormUninstall() = default;

void TFormUninstall::BuildLayout() {
  SetBorderStyle(gui::BorderStyle::None);
  SetPosition(gui::Position::ScreenCenter);
  SetClientSize(359, 165);
  SetColor(gui::clWhite);
  gui::Font font;
  font.name = "MS Sans Serif";
  font.height = 11;  // 8 points
  SetFont(font);
  SetCaption("卸载");

  Shape1 = &Put<gui::Shape>(*this, "Shape1", 0, 0, 359, 165);
  Shape1->SetAlign(gui::Align::Client);
  Shape1->SetPenColor(gui::RGB(16, 83, 194));
  Shape1->SetPenWidth(3);
  lblTitle = &Put<gui::Label>(*this, "lblTitle", 40, 36, 277, 20);
  lblTitle->SetAutoSize(false);
  lblTitle->SetTransparent(true);
  lblTitle->SetFont(gui::SimSunFont(12));
  lblStatus = &Put<gui::Label>(*this, "lblStatus", 40, 72, 277, 13);
  lblStatus->SetAutoSize(false);
  lblStatus->SetTransparent(true);
  lblStatus->SetCaption("正在卸载...");
  pgbRemove = &Put<gui::ProgressBar>(*this, "pgbRemove", 40, 96, 277, 17);
  pgbRemove->SetRange(0, 100);
}

void TFormUninstall::ShowProgress(int percent) {
  pgbRemove->SetPosition(percent);
  gui::Application::Instance().ProcessMessages();
}
