#pragma once
// The peer of each kind of control. Adding a kind: a model class in the list of kinds
// (platform/gui/ControlKinds.h) and one peer file here with its MakePeer overload.
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

std::unique_ptr<Peer> MakePeer(Form& form);
std::unique_ptr<Peer> MakePeer(Panel& panel);
std::unique_ptr<Peer> MakePeer(Label& label);
std::unique_ptr<Peer> MakePeer(Button& button);
std::unique_ptr<Peer> MakePeer(CheckBox& box);
std::unique_ptr<Peer> MakePeer(RadioButton& radio);
std::unique_ptr<Peer> MakePeer(Edit& edit);
std::unique_ptr<Peer> MakePeer(Memo& memo);
std::unique_ptr<Peer> MakePeer(ProgressBar& bar);
std::unique_ptr<Peer> MakePeer(Animate& animate);
std::unique_ptr<Peer> MakePeer(PageBook& book);
std::unique_ptr<Peer> MakePeer(Page& page);
std::unique_ptr<Peer> MakePeer(HeaderCell& cell);
std::unique_ptr<Peer> MakePeer(Separator& separator);
std::unique_ptr<Peer> MakePeer(Shape& shape);
std::unique_ptr<Peer> MakePeer(Image& image);
std::unique_ptr<Peer> MakePeer(StringGrid& grid);

// Registers the peer of every kind of control.
void RegisterPeers(PeerRegistry& registry);

}  // namespace gui::win32
