#include "platform/win32/gui/EditPeer.h"

#include "platform/ScopeExit.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

void EditPeer::Create(DWORD kindStyle) {
  CreateWindowFor({L"EDIT", WS_CHILD | WS_TABSTOP | kindStyle, WS_EX_CLIENTEDGE, ParentHandle()});
}

void EditPeer::Command(WORD notification) {
  if (notification != EN_CHANGE || writing_) return;
  // The window shows the typed text already; the model takes it, or the window gets the
  // model's text back. A character that code page 936 cannot hold is reported (by the window
  // procedure's guard) and the model's text put back too.
  bool taken = false;
  try {
    taken = edit_.UserType(WindowText());
  } catch (...) {
    UpdateText();
    throw;
  }
  if (!taken) UpdateText();
}

void EditPeer::UpdateText() {
  writing_ = true;
  auto done = platform::MakeScopeExit([this] { writing_ = false; });
  SetWindowText(edit_.Text());
}

void EditPeer::UpdateKind(Changes changed) {
  if (changed.Has(Aspect::Style)) {
    ::SendMessageW(Handle(), EM_SETREADONLY, edit_.ReadOnly() ? TRUE : FALSE, 0);
  }
}

std::unique_ptr<Peer> MakePeer(Edit& edit) {
  auto peer = std::make_unique<EditPeer>(edit);
  peer->Create(ES_AUTOHSCROLL);
  return peer;
}

}  // namespace gui::win32
