// Multi-line text boxes: EDIT children with the multi-line styles; typing works as in an edit.
#include "platform/gui/Memo.h"
#include "platform/win32/gui/EditPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

DWORD ScrollBarStyle(ScrollBars bars) {
  switch (bars) {
    case ScrollBars::Vertical:
      return WS_VSCROLL;
    case ScrollBars::Horizontal:
      return WS_HSCROLL;
    case ScrollBars::Both:
      return WS_VSCROLL | WS_HSCROLL;
    case ScrollBars::None:
      break;
  }
  return 0;
}

// Word wrap is the absence of horizontal scrolling; the system fixes it when the window is made.
DWORD MemoStyle(const Memo& memo) {
  return ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ScrollBarStyle(memo.GetScrollBars()) |
         (memo.WordWrap() ? 0 : ES_AUTOHSCROLL);
}

}  // namespace

std::unique_ptr<Peer> MakePeer(Memo& memo) {
  auto peer = std::make_unique<EditPeer>(memo);
  peer->Create(MemoStyle(memo));
  return peer;
}

}  // namespace gui::win32
