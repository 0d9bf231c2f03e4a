// Animations: SysAnimate32 children playing a clip of shell32.dll. The clip is opened when the
// model names another one (or the transparency changes, which the control takes when it opens a
// clip); the play range and state are sent on every change of the model's values. A clip the
// system cannot open leaves the window empty in the control's colour.
#include "platform/gui/Animate.h"
#include "platform/win32/gui/PeerKinds.h"

#include <commctrl.h>

#include <optional>

namespace gui::win32 {

namespace {

using platform::win32::UniqueHModule;

// The file-copy clip in shell32.dll's AVI resources.
constexpr WORD kCopyFileClip = 161;

DWORD KindStyle(const Animate& animate) {
  return ACS_CENTER | (animate.Transparent() ? ACS_TRANSPARENT : 0);
}

// Frames are 1-based in the model and 0-based for the control, where 0xFFFF is the last frame
// and -1 repetitions play endlessly.
LPARAM PlayRange(const Animate& animate) {
  const int from = animate.StartFrame() - 1;
  const int to = animate.StopFrame() == 0 ? -1 : animate.StopFrame() - 1;
  return MAKELPARAM(static_cast<WORD>(from), static_cast<WORD>(to));
}

WPARAM PlayTimes(const Animate& animate) {
  return static_cast<WPARAM>(animate.Repetitions() == 0 ? -1 : animate.Repetitions());
}

class AnimatePeer : public WindowPeer {
 public:
  explicit AnimatePeer(Animate& animate) : WindowPeer(animate), animate_(animate) {}

  ~AnimatePeer() override {
    // The control reads the clip from shell32's memory: close it before the module may go.
    if (Handle()) ::SendMessageW(Handle(), ACM_OPENW, 0, 0);
  }
  AnimatePeer(const AnimatePeer&) = delete;
  AnimatePeer& operator=(const AnimatePeer&) = delete;

  void Create() {
    CreateWindowFor({ANIMATE_CLASSW, WS_CHILD | KindStyle(animate_), 0, ParentHandle()});
  }

  HBRUSH ControlColor(HDC dc) override {
    if (!animate_.Transparent()) return WindowPeer::ControlColor(dc);
    // The clip's background pixels take the colour of the window behind the control.
    WindowPeer* parent = Of(animate_.Parent());
    if (!parent) return WindowPeer::ControlColor(dc);
    ::SetBkColor(dc, ToColorRef(parent->GetControl().GetColor()));
    return parent->BackgroundBrush();
  }

 protected:
  void UpdateKind(Changes changed) override {
    if (changed.Has(Aspect::Style)) {
      SetStyleBits(ACS_TRANSPARENT, KindStyle(animate_));
      asked_.reset();
    }
    if (!changed.Has(Aspect::Value) && !changed.Has(Aspect::Style)) return;
    Open();
    Play();
  }

 private:
  // Opens the model's clip unless it is the one asked for last.
  void Open() {
    const CommonAvi clip = animate_.GetCommonAvi();
    if (asked_ == clip) return;
    asked_ = clip;
    opened_ = false;
    ::SendMessageW(Handle(), ACM_OPENW, 0, 0);
    if (clip == CommonAvi::CopyFile) {
      const HMODULE shell = Shell32();
      opened_ = shell &&
                ::SendMessageW(Handle(), ACM_OPENW, reinterpret_cast<WPARAM>(shell),
                               reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kCopyFileClip))) != FALSE;
    }
    animate_.ReportClipOpened(opened_);
    Invalidate();
  }

  void Play() {
    if (!opened_) return;
    if (!animate_.Active()) {
      ::SendMessageW(Handle(), ACM_STOP, 0, 0);
      return;
    }
    const WPARAM times = PlayTimes(animate_);
    const LPARAM range = PlayRange(animate_);
    if (::SendMessageW(Handle(), ACM_PLAY, times, range) != FALSE) return;
    // The control refuses a stop frame past the clip's end, and another system's clip may be
    // shorter (Wine's has 2 frames): play on to the clip's last frame.
    const WORD lastFrame = 0xFFFF;
    ::SendMessageW(Handle(), ACM_PLAY, times, MAKELPARAM(LOWORD(range), lastFrame));
  }

  // shell32.dll from the system folder: the one the process has loaded, or loaded for this
  // control (never through the search path, where a planted copy could sit).
  HMODULE Shell32() {
    if (const HMODULE loaded = ::GetModuleHandleW(L"shell32.dll")) return loaded;
    if (!shell_) {
      shell_.Reset(::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    }
    return shell_.Get();
  }

  Animate& animate_;
  UniqueHModule shell_;
  std::optional<CommonAvi> asked_;
  bool opened_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Animate& animate) {
  auto peer = std::make_unique<AnimatePeer>(animate);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
