#include "install/Unit_sec.h"

#include "host/Unit_main.h"
#include "install/RunChanges.h"
#include "platform/gui/Animate.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/Shape.h"
#include "platform/gui/Timer.h"
#include "setupdata/PayloadSums.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr const char* kCancelQuestion = "安装程序进行中,确定要退出安装吗?";
constexpr const char* kCancelTitle = "退出安装";
constexpr int kFinishPage = 5;

}  // namespace

TFormsec::TFormsec(gui::Component* owner, AnsiString name)
    : gui::Form(owner, name.empty() ? AnsiString("Formsec") : std::move(name)) {
  BuildLayout();
  OnCreate = [this] { FormCreate(); };
  OnActivate = [this] { FormActivate(); };
  OnClose = [this](gui::CloseAction& action) { FormClose(action); };
  btncel->OnClick = [this] { btncelClick(); };
  btnok->OnClick = [this] { btnokClick(); };
  Timer1->OnTimer = [this] { Timer1Timer(); };
}

TFormsec::~TFormsec() = default;

void TFormsec::BuildLayout() {
  SetBorderStyle(gui::BorderStyle::None);
  SetPosition(gui::Position::ScreenCenter);
  SetClientSize(359, 205);
  SetColor(gui::clWhite);
  gui::Font font;
  font.name = "MS Sans Serif";
  font.height = 11;  // 8 points
  SetFont(font);
  SetCaption("安装");

  Shape1 = &Put<gui::Shape>(*this, "Shape1", 0, 0, 359, 205);
  Shape1->SetAlign(gui::Align::Client);
  Shape1->SetPenColor(gui::RGB(16, 83, 194));
  Shape1->SetPenWidth(3);
  lbls = &Put<gui::Label>(*this, "lbls", 40, 92, 269, 13);
  lbls->SetAutoSize(false);
  lbls->SetTransparent(true);
  lbls->SetCaption("正在安装...");
  ams = &Put<gui::Animate>(*this, "ams", 40, 12, 272, 60);
  ams->SetColor(gui::clWhite);
  ams->SetCommonAvi(gui::CommonAvi::CopyFile);
  ams->SetStartFrame(1);
  ams->SetStopFrame(31);
  ams->SetRepetitions(0);  // endlessly
  pgbs = &Put<gui::ProgressBar>(*this, "pgbs", 40, 112, 277, 17);
  pgbs->SetRange(0, 100);
  btncel = &Put<gui::Button>(*this, "btncel", 132, 156, 89, 25);
  btncel->SetCaption("取消");

  pnlok = &Put<gui::Panel>(*this, "pnlok", 0, 0, 359, 205);
  pnlok->SetBevel(false);
  pnlok->SetColor(gui::clWhite);
  pnlok->SetFont(gui::SimSunFont(14));
  pnlok->Hide();
  Label1 = &Put<gui::Label>(*pnlok, "Label1", 72, 48, 0, 0);
  Label1->SetFont(gui::SimSunFont(12));
  Label1->SetTransparent(true);
  Label1->SetCaption("... 安装完毕！");
  Label2 = &Put<gui::Label>(*pnlok, "Label2", 108, 84, 0, 0);
  Label2->SetFont(gui::SimSunFont(12));
  Label2->SetTransparent(true);
  Label2->SetCaption("点击“完成”退出安装程序");
  btnok = &Put<gui::Button>(*pnlok, "btnok", 140, 140, 75, 25);
  btnok->SetCaption("完成");

  Timer1 = &Make<gui::Timer>("Timer1");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(1000);
}

void TFormsec::FormCreate() {
  ams->SetActive(true);
  RunComplete = false;
}

void TFormsec::Timer1Timer() {
  Timer1->SetEnabled(false);
  if (!RunComplete) return;
  TFormSchedule& wizard = *FormSchedule;
  wizard.InstallStarted = true;
  wizard.ShowForm();
  wizard.ScheBook->SetPageIndex(kFinishPage);
  wizard.Label5->SetLeft(wizard.Label5->Left() + 16);
  wizard.Label5->SetCaption(wizard.Caption() + " 已经成功安装在您的电脑中");
  wizard.Label4->Hide();
  wizard.BtnNext->SetCaption("完毕");
  wizard.Label8->SetCaption(wizard.Caption() + " 安装完毕.");
  wizard.btnpri->SetEnabled(false);
  wizard.btnexit->SetEnabled(false);
  ShowKeptFiles();
}

void TFormsec::btnokClick() {
  FormSchedule->InstallStarted = true;
  FormSchedule->ShowForm();
  Hide();
}

void TFormsec::btncelClick() {
  const int answer = gui::Application::Instance().MessageBox(kCancelQuestion, kCancelTitle,
                                                             gui::mb::kOkCancel, this);
  if (answer != gui::idOk) return;
  if (FormSchedule) FormSchedule->InstallStarted = false;
  // A run in progress stops at its next servicing point, undoes what it changed and then ends
  // the setup; a run that has stopped ends it at once.
  cancelled_ = true;
  if (!runActive_) Formain->Close();
}

void TFormsec::FormClose(gui::CloseAction& action) { action = gui::CloseAction::Free; }
