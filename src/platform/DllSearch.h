#pragma once
// Where the process may load DLLs from. The setup runs elevated from a downloads folder, where
// anything may lie beside it: a DLL there with the name of one the program or the system loads
// later must never be loaded.

namespace platform {

// Narrows the search of every later DLL load of the process to the system folder: the
// application's folder and the current folder are left out. Call it first in the program,
// before anything else can load a DLL.
void RestrictDllSearchToSystem();

}  // namespace platform
