#pragma once
// An animation: a clip the system carries, played from one frame to another a number of times
// or endlessly. Frames count from 1. Without a clip, or when the system cannot open the clip,
// the box shows the control's colour.
#include "platform/gui/Control.h"

namespace gui {

// The clips the system carries.
enum class CommonAvi { None, CopyFile };

class Animate : public Control {
 public:
  Animate(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Animate"; }
  std::type_index PeerKind() const override { return typeid(Animate); }

  CommonAvi GetCommonAvi() const { return clip_; }
  void SetCommonAvi(CommonAvi clip);
  // The first frame played; at least 1.
  int StartFrame() const { return startFrame_; }
  void SetStartFrame(int frame);
  // The last frame played; 0 plays to the clip's last frame.
  int StopFrame() const { return stopFrame_; }
  void SetStopFrame(int frame);
  // How often the frames are played; 0 repeats them endlessly.
  int Repetitions() const { return repetitions_; }
  void SetRepetitions(int repetitions);
  // Playing.
  bool Active() const { return active_; }
  void SetActive(bool active);
  // Whether the clip's background takes the colour behind the control.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

  // Whether the system could open the clip; false until a peer has opened it.
  bool ClipOpened() const { return clipOpened_; }
  // The peer tells the model whether the system opened the clip. The peer knows already, so it
  // is not told back.
  void ReportClipOpened(bool opened) { clipOpened_ = opened; }

 private:
  CommonAvi clip_ = CommonAvi::None;
  int startFrame_ = 1;
  int stopFrame_ = 0;
  int repetitions_ = 0;
  bool active_ = false;
  bool transparent_ = false;
  bool clipOpened_ = false;
};

}  // namespace gui
