// Entry of the Windows setup program.
#include <cstdlib>

#include "main/Program.h"
#include "platform/DllSearch.h"
#include "platform/win32/gui/Win32Backend.h"

// An exception nothing catches ends the program. The C++ runtime's own handler would first print
// the exception's demangled type to a console this windowed program does not have, and would
// bring its demangler (about 45 KB) into every setup program for it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int main() {
  // First of all: the setup is started from a downloads folder, where a planted DLL must never
  // be loaded by anything the program does from here on.
  platform::RestrictDllSearchToSystem();
  return RunProgram(gui::CreateWin32Backend());
}
