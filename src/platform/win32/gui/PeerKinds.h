#pragma once
// The peer of each kind of control. Adding a kind: a model class, one peer file with its
// Make...Peer function, and one line in RegisterPeers (PeerKinds.cpp).
#include <memory>

#include "platform/gui/PeerRegistry.h"
#include "platform/win32/gui/WindowPeer.h"

namespace gui {
class Form;
class Animate;
class Button;
class CheckBox;
class RadioButton;
class Edit;
class Memo;
class ProgressBar;
class PageBook;
class Page;
class HeaderCell;
class Separator;
class Shape;
class Image;
class StringGrid;
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
std::unique_ptr<Peer> MakeAnimatePeer(Animate& animate);
std::unique_ptr<Peer> MakePageBookPeer(PageBook& book);
std::unique_ptr<Peer> MakePagePeer(Page& page);
std::unique_ptr<Peer> MakeHeaderCellPeer(HeaderCell& cell);
std::unique_ptr<Peer> MakeSeparatorPeer(Separator& separator);
std::unique_ptr<Peer> MakeShapePeer(Shape& shape);
std::unique_ptr<Peer> MakeImagePeer(Image& image);
std::unique_ptr<Peer> MakeStringGridPeer(StringGrid& grid);

// Registers the peer of every kind this back end shows.
void RegisterPeers(PeerRegistry& registry);

}  // namespace gui::win32
