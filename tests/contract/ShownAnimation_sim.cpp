// What an animation shows on the headless back end: the model, once the control has a peer.
#include "contract/GuiEnv.h"
#include "contract/ShownAnimation.h"

namespace contract {

bool ShownAsSystemAnimation(gui::Animate& animate) { return ShownVisible(animate); }

bool SystemHasCopyFileClip() { return true; }

}  // namespace contract
