// The wizard's folder page: the path box, Browse, and the table of drives with their size and
// free space, the install drive's row showing the product's size and the space that remains;
// Next takes the folder only when the product can be installed into it.
#include "host/Unit_main.h"
#include "platform/Conversions.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Edit.h"
#include "platform/gui/StringGrid.h"
#include "setupdata/InstallFolderCheck.h"
#include "wizard/Unit_Schedule.h"

namespace {

// Room for 26 roots of four bytes each and the final empty string.
constexpr std::size_t kDriveBufferLength = 105;
constexpr double kBytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;
// Taken off the free space shown, to leave for the remaining space.
constexpr double kReserveGigabytes = 0.019;
constexpr int kColumns = 5;
constexpr int kDriveColumn = 0, kSizeColumn = 1, kFreeColumn = 2, kUseColumn = 3,
              kRemainingColumn = 4;
constexpr const char* kDefaultDrives[] = {"D:\\", "E:\\", "C:\\"};
constexpr const char* kNoDriveMessage = "硬盘分区异常，无法安装软件。";
constexpr const char* kBrowseTitle = "选择安装路径";
constexpr const char* kFolderBoxTitle = "安装路径";
constexpr const char* kFolderRequest = "请输入有效的安装文件夹，例如 ";
constexpr const char* kDesktopWarning =
    "不要将Korvello安装到电脑桌面上，避免软件运行异常。\r"
    "建议安装到 D盘、E盘、C盘，默认的“Program Files\\”文件夹中。";

AnsiString DirName() { return Formain->ReadSetupValue("SetupDir", "DirName"); }

AnsiString ProgramFilesFolder(const AnsiString& driveRoot) {
  return driveRoot + "Program Files\\" + DirName() + "\\";
}

bool Lists(const std::vector<AnsiString>& drives, const AnsiString& root) {
  for (const AnsiString& drive : drives) {
    if (SameTextAscii(drive, root)) return true;
  }
  return false;
}

// The drive the product goes to by default: D:, else E:, else C:, as far as they are listed.
std::optional<AnsiString> DefaultDriveRoot(const std::vector<AnsiString>& drives) {
  for (const char* root : kDefaultDrives) {
    if (Lists(drives, root)) return AnsiString(root);
  }
  return std::nullopt;
}

// A drive that is there for a folder proposed in place of one refused: the default drive, else
// the first one listed; none on a machine without drives.
std::optional<AnsiString> ProposedDriveRoot(const std::vector<AnsiString>& drives) {
  if (auto root = DefaultDriveRoot(drives)) return root;
  if (!drives.empty()) return drives.front().substr(0, 3);
  return std::nullopt;
}

std::vector<char> DriveLetters(const std::vector<AnsiString>& drives) {
  std::vector<char> letters;
  for (const AnsiString& drive : drives) {
    if (!drive.empty()) letters.push_back(drive[0]);
  }
  return letters;
}

// A count of bytes in gigabytes, or -1 when the drive could not be queried.
struct DriveFigures {
  double total = -1;
  double free = -1;
};

DriveFigures FiguresOf(const AnsiString& entry) {
  DriveFigures figures;
  if (entry.empty()) return figures;
  if (const auto space = platform::QueryDiskSpace(AnsiString(1, entry[0]) + ":\\")) {
    figures.total = static_cast<double>(space->totalBytes);
    figures.free = static_cast<double>(space->freeBytesAvailable);
  }
  return figures;
}

}  // namespace

void TFormSchedule::GetDriveList(std::vector<AnsiString>& list) {
  const AnsiString buffer = platform::LogicalDriveStrings(kDriveBufferLength);
  list.clear();
  // A call that failed leaves nothing to walk: no drives.
  if (buffer.empty() || buffer[0] == '\0') return;
  std::size_t position = 0;
  do {
    const AnsiString entry(buffer.c_str() + position);
    list.push_back(entry);
    position += entry.size() + 1;
  } while (position < buffer.size() && buffer[position] != '\0');
}

void TFormSchedule::ApplyDefaultDrive(const std::vector<AnsiString>& drives) {
  // A folder given on the command line (/D=) is the one proposed.
  if (Formain->Switches.installFolder) {
    Formain->InstallFolder = *Formain->Switches.installFolder;
    return;
  }
  if (const auto root = DefaultDriveRoot(drives)) {
    Formain->InstallFolder = ProgramFilesFolder(*root);
    return;
  }
  gui::Application::Instance().ShowMessage(kNoDriveMessage);
}

void TFormSchedule::RefreshDiskGrid(bool applyDefaultDrive) {
  DiskGrid->SetColWidth(kDriveColumn, 50);
  DiskGrid->SetColWidth(kSizeColumn, 80);
  DiskGrid->SetColWidth(kFreeColumn, 80);
  std::vector<AnsiString> drives;
  GetDriveList(drives);
  if (applyDefaultDrive) ApplyDefaultDrive(drives);
  Edit_Path->SetText(Formain->InstallFolder);
  DiskGrid->SetColCount(kColumns);
  DiskGrid->SetRowCount(1);
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const int row = static_cast<int>(i);
    const DriveFigures figures = FiguresOf(drives[i]);
    DiskGrid->SetRowCount(row + 1);
    DiskGrid->SetCell(kDriveColumn, row, drives[i].substr(0, 3));
    if (figures.total > 0) {
      DiskGrid->SetCell(kSizeColumn, row, formatted(figures.total / kBytesPerGigabyte) + " GB");
    }
    DiskGrid->SetCell(kUseColumn, row, "");
    if (figures.free > 0) {
      DiskGrid->SetCell(kFreeColumn, row, formatted(figures.free / kBytesPerGigabyte) + " GB");
    }
    DiskGrid->SetCell(kRemainingColumn, row, "");
  }
  MarkInstallDrive();
}

void TFormSchedule::MarkInstallDrive() {
  const AnsiString drive = Formain->InstallFolder.substr(0, 3);
  int row = 0;
  while (row < DiskGrid->RowCount() && !SameTextAscii(DiskGrid->Cell(kDriveColumn, row), drive)) {
    ++row;
  }
  if (row == DiskGrid->RowCount()) return;
  DiskGrid->SetRow(row);
  DiskGrid->SetCell(kUseColumn, row, " " + Formain->ReadSetupValue("Run", "RJSize") + " MB");
  const AnsiString freeText = DiskGrid->Cell(kFreeColumn, row);
  if (freeText.empty()) return;
  // The free space as shown, up to and including its first space.
  const std::size_t space = freeText.find(' ');
  const double shown =
      StrToFloat(space == AnsiString::npos ? freeText : freeText.substr(0, space + 1));
  if (shown > 0) {
    DiskGrid->SetCell(kRemainingColumn, row, " " + formatted(shown - kReserveGigabytes) + " GB");
  }
}

void TFormSchedule::Button1Click() {
  const auto chosen = platform::BrowseForFolder(this, kBrowseTitle, Formain->InstallFolder);
  if (!chosen) return;
  const AnsiString& path = *chosen;
  if (path.find("Desktop") != AnsiString::npos || path.find("Users") != AnsiString::npos) {
    std::vector<AnsiString> drives;
    GetDriveList(drives);
    gui::Application::Instance().MessageDlg(kDesktopWarning, gui::DialogType::Warning,
                                            gui::dlg::kOk);
    // The default drive's folder, on a drive that is there.
    if (const auto root = ProposedDriveRoot(drives)) Edit_Path->SetText(ProgramFilesFolder(*root));
  } else if (path.size() == 3) {
    Edit_Path->SetText(path + DirName() + "\\");
  } else {
    Edit_Path->SetText(path + "\\" + DirName() + "\\");
  }
  Formain->InstallFolder = Edit_Path->Text();
  RefreshDiskGrid(false);
}

void TFormSchedule::DiskGridDblClick() {
  const AnsiString rowText = DiskGrid->RowText(DiskGrid->Row());
  const AnsiString path = Edit_Path->Text();
  Edit_Path->SetText(rowText.substr(0, 1) + (path.size() > 1 ? path.substr(1) : AnsiString()));
  Formain->InstallFolder = Edit_Path->Text();
  RefreshDiskGrid(false);
}

void TFormSchedule::Edit_PathChange() { Formain->InstallFolder = Edit_Path->Text(); }

std::optional<AnsiString> TFormSchedule::InstallFolderProblemHere(const AnsiString& folder) {
  std::vector<AnsiString> drives;
  GetDriveList(drives);
  const std::vector<AnsiString> manifest =
      SplitLines(platform::ReadWholeFile(Formain->StagingFolder + "orvlSetup.log"));
  return InstallFolderProblem(
      folder, DriveLetters(drives),
      LongestInstalledPath(manifest, Formain->ReadSetupValue("Run", "FileName")));
}

bool TFormSchedule::AcceptInstallFolder() {
  const AnsiString typed = Edit_Path->Text();
  if (const auto problem = InstallFolderProblemHere(typed)) {
    std::vector<AnsiString> drives;
    GetDriveList(drives);
    const auto root = ProposedDriveRoot(drives);
    gui::Application::Instance().MessageBox(
        *problem + "\r\r" + kFolderRequest + ProgramFilesFolder(root ? *root : "D:\\"),
        kFolderBoxTitle, gui::mb::kOk | gui::mb::kIconWarning, this);
    return false;
  }
  // The run puts the product's paths straight after the folder.
  Edit_Path->SetText(WithTrailingBackslash(typed));
  Formain->InstallFolder = Edit_Path->Text();
  return true;
}
