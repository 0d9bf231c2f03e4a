// Page books: a container window of the toolkit's own class. The pages are child windows of
// their own (PagePeer.cpp); the book shows its colour where no page covers it.
#include "platform/gui/PageBook.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class PageBookPeer : public PaintedPeer {
 public:
  explicit PageBookPeer(PageBook& book) : PaintedPeer(book) {}

  void Create() { CreateChild(WS_CLIPCHILDREN); }

 protected:
  void PaintOn(HDC dc, const RECT& client) override { ::FillRect(dc, &client, BackgroundBrush()); }
};

}  // namespace

std::unique_ptr<Peer> MakePeer(PageBook& book) {
  auto peer = std::make_unique<PageBookPeer>(book);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
