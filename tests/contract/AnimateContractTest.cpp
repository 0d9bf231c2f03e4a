// The file-copy animation of the progress window, the same on the real windows and on the
// headless back end: the control is the system's animation control, and it opens the system's
// clip exactly when the system carries it, whatever it plays or stops and however it is styled.
// Where the system lacks the clip the control stays empty, without an error. (Whether frames
// move is not asked of the window: Wine's animation control answers "not playing" always.)
#include "contract/ContractEnv.h"
#include "contract/GuiEnv.h"
#include "contract/ShownAnimation.h"
#include "platform/gui/Animate.h"

namespace contract {
namespace {

class AnimateContract : public ContractTest {
 protected:
  AnimateContract()
      : form_(gui_.App().Make<gui::Form>("Probe")), animate_(form_.Make<gui::Animate>("ams")) {
    form_.SetBounds(40, 40, 360, 200);
    form_.SetColor(gui::clWhite);
    animate_.SetBounds(40, 12, 272, 60);
    animate_.SetParent(&form_);
    animate_.SetColor(gui::clWhite);
  }

  // The settings of the progress window's animation.
  void PlayCopyFile() {
    animate_.SetCommonAvi(gui::CommonAvi::CopyFile);
    animate_.SetStartFrame(1);
    animate_.SetStopFrame(31);
    animate_.SetRepetitions(0);
    animate_.SetActive(true);
  }

  GuiEnv gui_;
  gui::Form& form_;
  gui::Animate& animate_;
};

TEST_F(AnimateContract, TheProgressWindowsAnimationIsTheSystemsControlWithTheSystemsClip) {
  const bool hasClip = SystemHasCopyFileClip();
  PlayCopyFile();
  EXPECT_FALSE(animate_.ClipOpened()) << "nothing opens a clip before the control has a window";
  form_.ShowForm();
  EXPECT_TRUE(ShownAsSystemAnimation(animate_));
  EXPECT_EQ(animate_.ClipOpened(), hasClip);

  // Stopping, playing once, playing to the last frame and playing again keep the clip.
  animate_.SetActive(false);
  animate_.SetRepetitions(1);
  animate_.SetActive(true);
  animate_.SetStopFrame(0);
  animate_.SetRepetitions(0);
  EXPECT_TRUE(ShownAsSystemAnimation(animate_));
  EXPECT_EQ(animate_.ClipOpened(), hasClip);
}

TEST_F(AnimateContract, AClipNamedRestyledOrDroppedOnAShownFormIsOpenedOrClosed) {
  const bool hasClip = SystemHasCopyFileClip();
  form_.ShowForm();
  EXPECT_TRUE(ShownAsSystemAnimation(animate_));
  EXPECT_FALSE(animate_.ClipOpened()) << "no clip named";

  PlayCopyFile();
  EXPECT_EQ(animate_.ClipOpened(), hasClip);
  // The control takes its transparency when it opens a clip: the clip is opened again.
  for (const bool transparent : {true, false}) {
    animate_.SetTransparent(transparent);
    EXPECT_TRUE(ShownAsSystemAnimation(animate_)) << "transparent " << transparent;
    EXPECT_EQ(animate_.ClipOpened(), hasClip) << "transparent " << transparent;
  }

  animate_.SetCommonAvi(gui::CommonAvi::None);
  EXPECT_FALSE(animate_.ClipOpened()) << "the clip is closed";
  animate_.SetCommonAvi(gui::CommonAvi::CopyFile);
  EXPECT_EQ(animate_.ClipOpened(), hasClip) << "named again, it opens again";
}

}  // namespace
}  // namespace contract
