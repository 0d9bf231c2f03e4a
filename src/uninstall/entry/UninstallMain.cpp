// Entry of the Windows uninstaller program.
#include <cstdlib>

#include "platform/ComApartment.h"
#include "platform/CommandLine.h"
#include "platform/DllSearch.h"
#include "platform/Errors.h"
#include "platform/win32/gui/Win32Backend.h"
#include "uninstall/UninstallProgram.h"

// As in the setup program: an exception nothing catches ends the program without the runtime's
// console report and its demangler.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int main() {
  // Started from a folder others may write to, no planted DLL is ever loaded.
  platform::RestrictDllSearchToSystem();
  // COM for the shell links the removal reads, open until the application object is gone.
  const platform::ComApartment com;
  gui::Application application(gui::CreateWin32Backend());
  AnsiString commandLine;
  try {
    commandLine = platform::CommandLine();
  } catch (const EEncodingError&) {
    // A command line code page 936 cannot hold names nothing the uninstaller could use.
    commandLine = "Uninstall.exe \"/?\"";
  }
  return RunUninstaller(application, commandLine);
}
