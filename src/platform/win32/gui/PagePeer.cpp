// Pages of a page book: container windows of the toolkit's own class, shown and hidden as the
// book turns them. The caption ("page1") is the window text.
#include "platform/gui/PageBook.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class PagePeer : public PaintedPeer {
 public:
  explicit PagePeer(Page& page) : PaintedPeer(page) {}

  void Create() { CreateChild(WS_CLIPCHILDREN); }

 protected:
  void PaintOn(HDC dc, const RECT& client) override { ::FillRect(dc, &client, BackgroundBrush()); }
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Page& page) {
  auto peer = std::make_unique<PagePeer>(page);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
