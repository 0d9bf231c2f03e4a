#pragma once
// The peer of each kind of control. Adding a kind: one Make...Peer function in its own file and
// one line in the table of PeerKinds.cpp.
#include <memory>

#include "platform/win32/gui/WindowPeer.h"

namespace gui::win32 {

std::unique_ptr<WindowPeer> MakeFormPeer(Control& control);
std::unique_ptr<WindowPeer> MakePanelPeer(Control& control);
std::unique_ptr<WindowPeer> MakeLabelPeer(Control& control);

// The peer for the control's kind.
std::unique_ptr<WindowPeer> MakePeer(Control& control);

}  // namespace gui::win32
