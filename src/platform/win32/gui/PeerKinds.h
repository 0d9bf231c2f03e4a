#pragma once
// The peer of each kind of control. Adding a kind: a model class, one peer file with its
// Make...Peer function, and one line in RegisterPeers (PeerKinds.cpp).
#include <memory>

#include "platform/gui/PeerRegistry.h"
#include "platform/win32/gui/WindowPeer.h"

namespace gui {
class Form;
class Button;
class CheckBox;
class RadioButton;
class Edit;
class Memo;
class ProgressBar;
}  // namespace gui

namespace gui::win32 {

std::unique_ptr<Peer> MakeFormPeer(Form& form);
std::unique_ptr<Peer> MakePanelPeer(Panel& panel);
std::unique_ptr<Peer> MakeLabelPeer(Label& label);
std::unique_ptr<Peer> MakeButtonPeer(Button& button);
std::unique_ptr<Peer> MakeCheckBoxPeer(CheckBox& box);
std::unique_ptr<Peer> MakeRadioButtonPeer(RadioButton& radio);
std::unique_ptr<Peer> MakeEditPeer(Edit& edit);
std::unique_ptr<Peer> MakeMemoPeer(Memo& memo);
std::unique_ptr<Peer> MakeProgressBarPeer(ProgressBar& bar);

// Registers the peer of every kind this back end shows.
void RegisterPeers(PeerRegistry& registry);

}  // namespace gui::win32
