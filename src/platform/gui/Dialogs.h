#pragma once
// The three kinds of message box: the system message box (MessageBoxA flags and answers), the
// toolkit's typed message dialog with English title and buttons, and the plain message.
namespace gui {

// Flags of the system message box, as MessageBoxA takes them.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kYesNo = 0x4;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kSystemModal = 0x1000;
}  // namespace mb

// Answers, the standard identifiers.
constexpr int idOk = 1;
constexpr int idCancel = 2;
constexpr int idYes = 6;
constexpr int idNo = 7;

// Type of the toolkit's message dialog; its title is "Warning", "Error", "Information" or
// "Confirm".
enum class DialogType { Warning, Error, Information, Confirmation };
const char* DialogTitle(DialogType type);

// Buttons of the toolkit's message dialog ("&Yes", "&No", "OK", "Cancel").
namespace dlg {
constexpr unsigned kYes = 0x1;
constexpr unsigned kNo = 0x2;
constexpr unsigned kOk = 0x4;
constexpr unsigned kCancel = 0x8;
}  // namespace dlg

}  // namespace gui
