#pragma once
// What the Windows build's contract files share: the window of a control and the removal of a
// folder tree.
#include <string>

#include "platform/gui/Control.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

// The window the control's peer made; throws when it has none.
HWND WindowOf(gui::Control& control);

// Deletes folder (ending in a backslash) and everything in it; what cannot go stays. Wide all
// the way, so a name the tests left that code page 936 cannot hold goes too.
void RemoveTree(const std::wstring& folder);

}  // namespace contract
