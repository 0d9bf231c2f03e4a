// Entry of the Windows setup program.
#include "main/Program.h"
#include "platform/win32/gui/Win32Backend.h"

int main() { return RunProgram(gui::CreateWin32Backend()); }
