#pragma once
// The common controls library, loaded at run time rather than imported: an imported library is
// loaded before the program's first line runs, when the DLL search still includes the folder
// setup.exe was started from, and the library loads further DLLs by name as it starts. Loaded
// after the program has restricted the search to the system folder, it and everything it loads
// come from there (the application manifest still selects version 6).
#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

namespace gui::win32 {

// Loads the library and registers its window classes; frees it when destroyed. Throws Exception
// when the library cannot be loaded.
class CommonControlsLibrary {
 public:
  explicit CommonControlsLibrary(DWORD classes);
  ~CommonControlsLibrary();
  CommonControlsLibrary(const CommonControlsLibrary&) = delete;
  CommonControlsLibrary& operator=(const CommonControlsLibrary&) = delete;

 private:
  HMODULE module_;
};

// ImageList_Create and ImageList_Destroy of the loaded library; null (and nothing) when it is
// not loaded.
HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow);
void DestroyImageList(HIMAGELIST list) noexcept;

}  // namespace gui::win32
