#include "host/Unit_main.h"

#include "host/RunningProduct.h"

#include <array>

#include "host/BankersRound.h"
#include "install/Unit_sec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ScopeExit.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "setupdata/IniFile.h"
#include "setupdata/PayloadReader.h"
#include "wizard/Unit_Schedule.h"

const AnsiString SetupTitle = "korvlSetup";
TFormain* Formain = nullptr;

namespace {

constexpr const char* kRunNoticeTitle = "运行提示";
constexpr const char* kProductRunningText =
    "Korvello正在运行中，只有结束其\r运行后，才能进行软件更新。\r\r要结束正在运行的Korvello吗?";

// The staged files: payload entry and the name it gets in the staging folder, in staging order.
struct StagedFile {
  const char* entryName;
  const char* fileName;
};
constexpr const char* kStagedEntryType = "txtname";
constexpr std::array<StagedFile, 3> kStagedFiles = {
    {{"FileTxt5", "orvlSetup.log"}, {"FileTxt7", "orvlSetup.ini"}, {"FileTxt4", "SQXY.txt"}}};

constexpr gui::Color kBackdropColor = gui::RGB(0, 128, 192);
constexpr gui::Color kTitleBandColor = gui::RGB(0, 128, 255);
constexpr int kFooterRightMargin = 32;

}  // namespace

TFormain::TFormain(gui::Component* owner, AnsiString name)
    : gui::Form(owner, name.empty() ? AnsiString("Formain") : std::move(name)) {
  BuildLayout();
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnPaint = [this] { FormPaint(); };
  OnClose = [this](gui::CloseAction& action) { FormClose(action); };
}

TFormain::~TFormain() {
  // The worker waits for its end notice by serving the message queue; do that while this window
  // is still whole.
  if (Thread1) DestroyOwned(*Thread1);
  Thread1 = nullptr;
  if (Formain == this) Formain = nullptr;
}

void TFormain::BuildLayout() {
  SetBounds(0, 0, 1156, 819);
  SetBorderStyle(gui::BorderStyle::None);
  SetWindowState(gui::WindowState::Maximized);
  SetScrollbars(false);
  SetColor(kBackdropColor);
  SetFont(gui::SimSunFont(12));

  Panel_Title = &Make<gui::Panel>("Panel_Title");
  Panel_Title->SetBounds(0, 0, 1156, 117);
  Panel_Title->SetAlign(gui::Align::Top);
  Panel_Title->SetBevel(false);
  Panel_Title->SetColor(kTitleBandColor);
  Panel_Title->SetAlignment(gui::TextAlign::Left);
  gui::Font titleFont = gui::SimSunFont(56, false, gui::clWhite);
  titleFont.italic = true;
  Panel_Title->SetFont(titleFont);
  Panel_Title->SetCaption("  Korvellov2.8.3.8（标准版-k）安装程序");
  Panel_Title->SetParent(this);

  Panel1 = &Make<gui::Panel>("Panel1");
  Panel1->SetBounds(0, 819 - 29, 1156, 29);
  Panel1->SetAlign(gui::Align::Bottom);
  Panel1->SetBevel(false);
  Panel1->SetColor(kBackdropColor);
  Panel1->SetFont(gui::SimSunFont(14, false, gui::clYellow));
  Panel1->SetParent(this);

  Label1 = &Make<gui::Label>("Label1");
  Label1->SetFont(Panel1->GetFont());
  Label1->SetColor(kBackdropColor);
  Label1->SetBounds(36, 8, 0, 0);
  Label1->SetCaption("Korvello官方网站：www.korvello.com.cn");
  Label1->SetParent(Panel1);

  Label2 = &Make<gui::Label>("Label2");
  Label2->SetFont(Panel1->GetFont());
  Label2->SetColor(kBackdropColor);
  Label2->SetBounds(0, 8, 0, 0);
  Label2->SetCaption("北京科维罗软件有限公司 出品 2003-2008");
  Label2->SetParent(Panel1);

  Panel1->OnResize = [this] { Panel1Resize(); };
  Panel1Resize();

  Thread1 = &Make<TWorkerThread>("Thread1");
  Thread1->SetUpdateEnabled(false);
  Thread1->OnExecute = [this](gui::Component* sender, TWorkerExecuteThread* thread, void*& data) {
    Thread1Execute(sender, thread, data);
  };
}

void TFormain::FormCreate() {
  ContinueSetup = true;
  StagingFolder = GetStagingFolder();
  const bool productRunning = IsProductRunning();
  if (productRunning && Silent()) {
    // A silent run never ends the user's Korvello: it leaves it running and installs nothing.
    Fail(SetupExitCode::ProductRunning, "Korvello is running");
    ContinueSetup = false;
  } else if (productRunning) {
    const int answer = gui::Application::Instance().MessageBox(
        kProductRunningText, kRunNoticeTitle,
        gui::mb::kYesNo | gui::mb::kIconWarning | gui::mb::kSystemModal, this);
    if (answer == gui::idYes) {
      CloseRunningProduct(kProductWindowClass);
    } else {
      ContinueSetup = false;
    }
  }
  if (!ContinueSetup) return;
  if (!Silent()) {
    StageSetupFiles();
    Thread1->Start();
    return;
  }
  // A silent run is driven by the program once the windows exist; it shows none of them.
  try {
    StageSetupFiles();
  } catch (const std::exception& error) {
    Fail(SetupExitCode::WriteFailed, error.what());
    ContinueSetup = false;
  }
}

void TFormain::LogLine(const AnsiString& text) {
  if (Log) Log->Line(text);
}

void TFormain::Fail(SetupExitCode code, const AnsiString& why) {
  if (ExitCode == SetupExitCode::Installed) ExitCode = code;
  LogLine(Format("error (exit code %d): ", static_cast<int>(code)) + why);
}

void TFormain::StageSetupFiles() {
  // All three entries are opened before the first is written, so a missing entry stages nothing.
  PayloadReader manifest(kStagedFiles[0].entryName, kStagedEntryType);
  PayloadReader configuration(kStagedFiles[1].entryName, kStagedEntryType);
  PayloadReader licence(kStagedFiles[2].entryName, kStagedEntryType);
  // Without the run's own folder nothing is staged, not even in the shared folder around it.
  if (!stagingFolderMade_) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s",
                               (StagingFolder + kStagedFiles[0].fileName).c_str(),
                               stagingFailure_.c_str()));
  }
  manifest.SaveToNewFile(StagingFolder + kStagedFiles[0].fileName);
  configuration.SaveToNewFile(StagingFolder + kStagedFiles[1].fileName);
  licence.SaveToNewFile(StagingFolder + kStagedFiles[2].fileName);
}

void TFormain::FormShow() {
  if (!ContinueSetup) Close();
}

void TFormain::FormPaint() {
  gui::Canvas& canvas = GetCanvas();
  const int width = ClientWidth();
  const double step = ClientHeight() / 256.0;
  double y = 0.0;
  for (int blue = 255; blue >= 0; --blue) {
    canvas.SetBrushColor(gui::RGB(0, 0, blue));
    canvas.FillRect(gui::Rect{0, BankersRound(y), width, BankersRound(y + step)});
    y += step;
  }
}

void TFormain::Panel1Resize() {
  Label2->SetLeft(Panel1->Width() - Label2->Width() - kFooterRightMargin);
}

void TFormain::FormClose(gui::CloseAction& action) {
  if (stagingFolderMade_) {
    for (const StagedFile& staged : kStagedFiles) {
      const AnsiString path = StagingFolder + staged.fileName;
      if (platform::FileExists(path)) platform::DeleteFile(path);
    }
    if (platform::RemoveDirectory(StagingFolder.substr(0, StagingFolder.size() - 1))) {
      stagingFolderMade_ = false;
    }
  }
  action = gui::CloseAction::Free;
}

void TFormain::Thread1Execute(gui::Component* /*Sender*/, TWorkerExecuteThread* Thread,
                              void*& /*Data*/) {
  Thread->Synchronize([this](gui::Component* sender) { ShowChedule(sender); });
}

void TFormain::ShowChedule(gui::Component* /*Sender*/) {
  if (FormSchedule) FormSchedule->ShowModal();
}

void TFormain::showsec() {
  auto& progress = Make<TFormsec>("Formsec");
  // Released however its display ends; an error ending it goes on to the caller.
  const auto release = platform::MakeScopeExit([this, &progress] { DestroyOwned(progress); });
  progress.DoCreate();
  progress.ShowModal();
  Close();
}

AnsiString TFormain::ReadSetupValue(const AnsiString& section, const AnsiString& key) const {
  if (!stagingFolderMade_) return AnsiString();
  const TIniFile configuration(StagingFolder + "orvlSetup.ini");
  return configuration.ReadString(section, key, AnsiString());
}

AnsiString TFormain::GetStagingFolder() {
  const AnsiString temp = platform::WindowsDirectory() + "\\Temp";
  if (!platform::DirectoryExists(temp)) platform::CreateDirectory(temp);
  // A folder of this run's own inside the shared Temp folder: nobody else can have put files
  // there first, link them elsewhere, or change them while the elevated setup reads them.
  const std::optional<AnsiString> folder = platform::CreatePrivateFolder(temp, &stagingFailure_);
  stagingFolderMade_ = folder.has_value();
  return (folder ? *folder : temp) + "\\";
}

bool TFormain::IsProductRunning() { return ProductProcessRunning(); }

void TFormain::CloseRunningProduct(const AnsiString& windowClass) {
  EndProductWindowProcess(windowClass, SetupTitle);
}
