// Progress bars: msctls_progress32 children; only range and position are mirrored.
#include "platform/gui/ProgressBar.h"
#include "platform/win32/gui/PeerKinds.h"

#include <commctrl.h>

namespace gui::win32 {

namespace {

class ProgressBarPeer : public WindowPeer {
 public:
  explicit ProgressBarPeer(ProgressBar& bar) : WindowPeer(bar), bar_(bar) {}

  void Create() { CreateWindowFor({PROGRESS_CLASSW, WS_CHILD, 0, ParentHandle()}); }

 protected:
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Value)) return;
    ::SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(bar_.Min()),
                   static_cast<LPARAM>(bar_.Max()));
    ::SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(bar_.Position()), 0);
  }

 private:
  ProgressBar& bar_;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(ProgressBar& bar) {
  auto peer = std::make_unique<ProgressBarPeer>(bar);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
