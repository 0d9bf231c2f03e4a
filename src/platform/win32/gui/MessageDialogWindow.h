#pragma once
// The toolkit's own message dialog: a small window with the system icon of its type, the text
// and English buttons, shown modally with its own loop. Not MessageBoxA, whose buttons the
// system would translate.
#include "platform/AnsiString.h"
#include "platform/win32/WindowsApi.h"
#include "platform/win32/gui/GdiSupport.h"

namespace gui::win32 {

constexpr wchar_t kDialogClass[] = L"KorvMessageDialog";

struct MessageDialogContent {
  AnsiString title;
  AnsiString text;
  LPCWSTR systemIcon = nullptr;  // a system icon id (SystemIcon(IDI_WARNING)...), or none
  unsigned buttons = 0;          // gui::dlg flags
};

// Shows the dialog over owner and returns the answer: idYes, idNo, idOk or idCancel.
int RunMessageDialog(const MessageDialogContent& content, HWND owner);

// The window procedure of kDialogClass, registered by the back end.
extern const WNDPROC kMessageDialogProc;

}  // namespace gui::win32
