#pragma once
// What an animation shows, as the animation contract sees it from outside the toolkit. The build
// links one implementation: ShownAnimation_sim.cpp (the headless back end, whose screen is the
// model) or ShownAnimation_win32.cpp (the control's window and shell32.dll of the system).
#include "platform/gui/Animate.h"

namespace contract {

// Whether the control shows as the system's animation control: a visible window of the class
// SysAnimate32 (on the headless back end: a peer, and it and every parent visible).
bool ShownAsSystemAnimation(gui::Animate& animate);

// Whether the system carries the file-copy clip: an AVI resource 161 in shell32.dll (always on
// the headless back end).
bool SystemHasCopyFileClip();

}  // namespace contract
