// Entry of the Windows setup program.
#include "main/Program.h"
#include "platform/DllSearch.h"
#include "platform/win32/gui/Win32Backend.h"

int main() {
  // First of all: the setup is started from a downloads folder, where a planted DLL must never
  // be loaded by anything the program does from here on.
  platform::RestrictDllSearchToSystem();
  return RunProgram(gui::CreateWin32Backend());
}
