#include "wizard/Unit_Schedule.h"

#include "host/Unit_main.h"
#include "install/InstallRecord.h"
#include "install/ProtectedUninstaller.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Image.h"
#include "platform/gui/Memo.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/StringGrid.h"
#include "wizard/PayloadSpace.h"

bool CreateDesktopShortcut = true;
bool RunAfterFinish = true;
TFormSchedule* FormSchedule = nullptr;

namespace {

enum Page {
  kWelcome = 0,
  kLicence = 1,
  kFolder = 2,
  kConfirmation = 3,
  kHandOver = 4,
  kFinish = 5
};

constexpr const char* kFinishCaption = "完毕";
constexpr const char* kExitQuestion = "确定要退出安装程序吗?";
constexpr const char* kExitTitle = "退出安装";
constexpr const char* kLicenceSubtitle = "请仔细阅读下面的协议条款";
constexpr const char* kFolderTitle = "选择安装文件夹";
constexpr const char* kConfirmationTitle = "安装确认";
constexpr int kShowCommand = 5;  // SW_SHOW
constexpr const char* kNotEnoughSpaceQuestion =
    "目标磁盘的可用空间不足，安装可能无法完成。\r\r仍要继续安装吗?";
constexpr const char* kNotEnoughSpaceTitle = "磁盘空间不足";

}  // namespace

TFormSchedule::TFormSchedule(gui::Component* owner, AnsiString name)
    : gui::Form(owner, name.empty() ? AnsiString("FormSchedule") : std::move(name)) {
  BuildLayout();
  BindHandlers();
}

TFormSchedule::~TFormSchedule() {
  if (FormSchedule == this) FormSchedule = nullptr;
}

void TFormSchedule::BindHandlers() {
  OnCreate = [this] { FormCreate(); };
  OnActivate = [this] { FormActivate(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnClose = [this](gui::CloseAction& action) { FormClose(action); };
  BtnNext->OnClick = [this] { BtnNextClick(); };
  btnpri->OnClick = [this] { btnpriClick(); };
  btnexit->OnClick = [this] { btnexitClick(); };
  RadioButton1->OnClick = [this] { RadioButton1Click(); };
  RadioButton2->OnClick = [this] { RadioButton2Click(); };
  chbdesktop->OnClick = [this] { chbdesktopClick(); };
  chbrun->OnClick = [this] { chbrunClick(); };
  Button1->OnClick = [this] { Button1Click(); };
  DiskGrid->OnClick = [this] { DiskGridClick(); };
  DiskGrid->OnDoubleClick = [this] { DiskGridDblClick(); };
  Edit_Path->OnChange = [this] { Edit_PathChange(); };
}

void TFormSchedule::FormCreate() {
  SharedRegistry = std::make_unique<platform::Registry>();
  Panel_Top->Hide();
  ImagLeft->SetWidth(156);
  ScheBook->SetPageIndex(kWelcome);
  InstallStarted = false;
  RunAfterFinish = true;
  CreateDesktopShortcut = true;
  SetCaption(Formain->ReadSetupValue("Form", "Caption"));
}

void TFormSchedule::FormActivate() {
  Label6->SetCaption("欢迎使用 " + Caption());
  Label7->SetCaption("即将在您的电脑上安装“" + Caption() + "” 请点击“下一步”按钮继续。");
  if (!InstallStarted) CheckExistingInstallation();
}

void TFormSchedule::BtnNextClick() {
  if (BtnNext->Caption() == kFinishCaption) {
    FinishAction();
    return;
  }
  if (ScheBook->PageIndex() == kFolder && !AcceptInstallFolder()) return;
  if (ScheBook->PageIndex() == kConfirmation && !GoOnDespiteSpace()) {
    ReturnToFolderPage();
    return;
  }
  ScheBook->SetPageIndex(ScheBook->PageIndex() + 1);
  if (ScheBook->PageIndex() > kWelcome) {
    ImagLeft->Hide();
    Panel_Top->Show();
  }
  EnterPage(ScheBook->PageIndex());
  if (ScheBook->PageIndex() == kLicence) btnpri->SetEnabled(true);
}

void TFormSchedule::EnterPage(int page) {
  switch (page) {
    case kLicence:
      LoadLicence();
      RadioButton1->SetChecked(true);
      BtnNext->SetEnabled(true);
      Label4->SetCaption(Formain->ReadSetupValue("Form", "SQXY"));
      Label5->SetCaption(kLicenceSubtitle);
      Label5->Show();
      break;
    case kFolder:
      Label4->SetCaption(kFolderTitle);
      Label5->Hide();
      RefreshDiskGrid(true);
      break;
    case kConfirmation:
      Label4->SetCaption(kConfirmationTitle);
      Label2->SetCaption("安装程序已经准备好在您的计算机上安装" + Caption());
      Label5->SetCaption("点击“下一步”开始安装" + Caption());
      Label5->Show();
      break;
    case kHandOver:
      HandOver();
      break;
    default:
      break;
  }
}

bool TFormSchedule::GoOnDespiteSpace() {
  const std::optional<SpaceShortfall> shortfall = PayloadSpaceShortfall(Formain->InstallFolder);
  if (!shortfall) return true;
  Formain->LogLine(DescribeShortfall(*shortfall));
  const int answer = gui::Application::Instance().MessageBox(
      kNotEnoughSpaceQuestion, kNotEnoughSpaceTitle, gui::mb::kYesNo | gui::mb::kIconWarning, this);
  Formain->LogLine(answer == gui::idYes ? "installing despite the space" : "back to the folder");
  return answer == gui::idYes;
}

void TFormSchedule::ReturnToFolderPage() {
  // The folder the user chose stays; the drive list shows the space as it is now.
  ScheBook->SetPageIndex(kFolder);
  Label4->SetCaption(kFolderTitle);
  Label5->Hide();
  RefreshDiskGrid(false);
}

void TFormSchedule::LoadLicence() {
  Memo1->SetLines(SplitLines(platform::ReadWholeFile(Formain->StagingFolder + "SQXY.txt")));
}

void TFormSchedule::HandOver() {
  InstallStarted = true;
  ScheBook->SetPageIndex(kFinish);
  Hide();
  gui::Application::Instance().ProcessMessages();
  Formain->showsec();
}

void TFormSchedule::btnpriClick() {
  ScheBook->SetPageIndex(ScheBook->PageIndex() - 1);
  if (ScheBook->PageIndex() == kWelcome) {
    Panel_Top->Hide();
    ImagLeft->Show();
    BtnNext->SetEnabled(true);
    btnpri->SetEnabled(false);
  }
}

void TFormSchedule::btnexitClick() {
  const int answer = gui::Application::Instance().MessageDlg(
      kExitQuestion, gui::DialogType::Confirmation, gui::dlg::kYes | gui::dlg::kNo);
  if (answer == gui::idYes) Formain->Close();
}

void TFormSchedule::RadioButton1Click() { BtnNext->SetEnabled(true); }

void TFormSchedule::RadioButton2Click() { BtnNext->SetEnabled(false); }

void TFormSchedule::chbdesktopClick() { CreateDesktopShortcut = chbdesktop->Checked(); }

void TFormSchedule::chbrunClick() { RunAfterFinish = chbrun->Checked(); }

void TFormSchedule::FinishAction() {
  if (RunAfterFinish && InstallStarted) {
    const AnsiString options = Formain->InstallFolder + "Options.ini";
    const bool written = platform::WriteProfileString(options, "Option", "Reset", "88");
    if (written) {
      RecordFileAsItIs(Formain->InstallFolder, "Options.ini");
      RefreshProtectedRecord(Formain->InstallFolder);
    }
    // The product starts whether or not its options could be written, as the signed-in user
    // rather than with the setup's administrator rights; a click that retries a failed write
    // finds it running already and starts no second copy.
    if (!productStarted_) {
      productStarted_ = true;
      platform::StartAsSignedInUser(
          this, "open", Formain->InstallFolder + Formain->ReadSetupValue("Run", "FileName"), "", "",
          kShowCommand);
    }
    if (!written) throw EIniFileException(Format("Unable to write to %s", options.c_str()));
  }
  Formain->Close();
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
