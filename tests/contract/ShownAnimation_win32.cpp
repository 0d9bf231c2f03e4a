// What an animation shows on the real windows: the class of the control's window; and whether
// shell32.dll of the system carries the clip, looked up apart from the peer.
#include <stdexcept>
#include <string>

#include "contract/ShownAnimation.h"
#include "contract/Win32Support.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/gui/WindowPeer.h"

namespace contract {

bool ShownAsSystemAnimation(gui::Animate& animate) {
  const HWND window = WindowOf(animate);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return std::wstring(name) == L"SysAnimate32" && ::IsWindowVisible(window) != FALSE;
}

bool SystemHasCopyFileClip() {
  // As a data file: only its resources are wanted.
  const platform::win32::UniqueHModule shell(::LoadLibraryExW(
      L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_AS_DATAFILE));
  return shell && ::FindResourceW(shell.Get(), MAKEINTRESOURCEW(161), L"AVI") != nullptr;
}

}  // namespace contract
