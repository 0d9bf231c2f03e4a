#pragma once
// The wizard window: welcome, licence, folder and confirmation pages, then the finish page. The
// folder page (drive table, Browse, path box) and the existing-installation check live in
// FolderPage.cpp and InstallationCheck.cpp; the components are laid out in
// Unit_Schedule_Layout.cpp.
#include <memory>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Registry.h"
#include "platform/gui/Form.h"

namespace gui {
class Button;
class CheckBox;
class DdeClientConv;
class Edit;
class HeaderCell;
class Image;
class Label;
class Memo;
class PageBook;
class Panel;
class RadioButton;
class Separator;
class Shape;
class StringGrid;
}  // namespace gui

// A copy of the product recorded by an earlier installation, compared with this setup's.
enum class InstalledCopy { None, SameVersion, OlderVersion, NewerVersion };

// Program-wide options set by the wizard's check boxes.
extern bool CreateDesktopShortcut;
extern bool RunAfterFinish;

class TFormSchedule : public gui::Form {
 public:
  TFormSchedule(gui::Component* owner, AnsiString name);
  ~TFormSchedule() override;

  bool InstallStarted = false;
  // The accessor the installation run writes the uninstall entry with.
  std::unique_ptr<platform::Registry> SharedRegistry;
  // The keys below HKEY_CURRENT_USER that the check for an installed copy made (it opens the
  // product's keys with creation), each after its parent: the installation record names them
  // with the keys the run made, so that removing the installation takes them away too.
  std::vector<AnsiString> KeysMadeByCheck;

  // Banner.
  gui::Panel* Panel_Top = nullptr;
  gui::Image* Imagtop = nullptr;
  gui::Label* Label4 = nullptr;
  gui::Label* Label5 = nullptr;
  // Left picture, pages, separator and button bar.
  gui::Image* ImagLeft = nullptr;
  gui::PageBook* ScheBook = nullptr;
  gui::Panel* Panel3 = nullptr;
  gui::Panel* ButtonBar1 = nullptr;
  gui::Button* btnpri = nullptr;
  gui::Button* BtnNext = nullptr;
  gui::Button* btnexit = nullptr;
  // Page 0, welcome.
  gui::Panel* Panel1 = nullptr;
  gui::Label* Label6 = nullptr;
  gui::Label* Label7 = nullptr;
  // Page 1, licence.
  gui::Memo* Memo1 = nullptr;
  gui::RadioButton* RadioButton1 = nullptr;
  gui::RadioButton* RadioButton2 = nullptr;
  // Page 2, install folder.
  gui::Label* Label3 = nullptr;
  gui::Label* Label10 = nullptr;
  gui::Edit* Edit_Path = nullptr;
  gui::Button* Button1 = nullptr;
  gui::Label* Label1 = nullptr;
  gui::Separator* Separator1 = nullptr;
  std::vector<gui::HeaderCell*> FieldHeaders;  // FieldHeader1, 2, 3, 5, 4 from left to right
  gui::Shape* Shape1 = nullptr;
  gui::StringGrid* DiskGrid = nullptr;
  gui::CheckBox* chbdesktop = nullptr;
  // Page 3, confirmation.
  gui::Label* Label2 = nullptr;
  // Page 5, finish.
  gui::Panel* Panel2 = nullptr;
  gui::Label* Label8 = nullptr;
  gui::Label* Label9 = nullptr;
  gui::CheckBox* chbrun = nullptr;
  // Used by the installation run to make the program group.
  gui::DdeClientConv* DdeClientConv1 = nullptr;

  void FormCreate();
  void FormActivate();
  void FormCloseQuery(bool& CanClose);
  void FormClose(gui::CloseAction& action);
  void BtnNextClick();
  void btnpriClick();
  void btnexitClick();
  void RadioButton1Click();
  void RadioButton2Click();
  void chbdesktopClick();
  void chbrunClick();
  // Folder page.
  void Button1Click();
  void DiskGridClick() {}
  void DiskGridDblClick();
  void Edit_PathChange();

  // The copy recorded under HKEY_CURRENT_USER\Software\KORVL (its KORV.exe still there) and
  // its folder; sets the host's VersionSerial. EConvertError when a serial is not a number.
  InstalledCopy FindInstalledCopy(AnsiString& installedFolder);
  // Fills the drive table; with applyDefaultDrive, first applies the default-drive choice.
  void RefreshDiskGrid(bool applyDefaultDrive);
  // Clears list and fills it with the drive roots ("C:\", "D:\", ...).
  void GetDriveList(std::vector<AnsiString>& list);
  // Why folder cannot take this product on this machine's drives; nothing when it can.
  std::optional<AnsiString> InstallFolderProblemHere(const AnsiString& folder);

 private:
  void BuildLayout();
  void BindHandlers();
  void EnterPage(int page);
  void HandOver();
  // Asks whether to install although the payload does not fit the install drive; true when it
  // fits, when that cannot be told, or when the user says Yes.
  bool GoOnDespiteSpace();
  void ReturnToFolderPage();
  void FinishAction();
  void LoadLicence();
  void ApplyDefaultDrive(const std::vector<AnsiString>& drives);
  // Next on the folder page: takes the typed folder with its final backslash, or says why it
  // cannot be used and keeps the page.
  bool AcceptInstallFolder();
  void MarkInstallDrive();
  // The existing-installation check and the first install folder, at activation.
  void CheckExistingInstallation();

  // The finish action has started the product (once, however often "完毕" retries the write of
  // its options).
  bool productStarted_ = false;
};

// Fixed-point text of x: one decimal place from 10 up, two below (decided on x as it is).
AnsiString formatted(double x);

extern TFormSchedule* FormSchedule;
