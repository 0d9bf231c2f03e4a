// Header cells: windows of the toolkit's own class, flat, filled with the system colour of an
// inactive caption's gradient, a one-pixel frame in the shadow colour (neighbouring cells
// overlap by a pixel and share it) and the caption on the left. The caption is the window text.
#include "platform/gui/HeaderCell.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

// Room between the frame and the caption.
constexpr int kTextMargin = 2;

class HeaderCellPeer : public PaintedPeer {
 public:
  explicit HeaderCellPeer(HeaderCell& cell) : PaintedPeer(cell), cell_(cell) {}

  void Create() { CreateChild(); }

 protected:
  void UpdateKind(Changes changed) override {
    if (changed.Has(Aspect::Enabled)) Invalidate();
  }

  void PaintOn(HDC dc, const RECT& client) override {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_GRADIENTINACTIVECAPTION));
    ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_BTNSHADOW));
    const AnsiString& caption = cell_.Caption();
    if (caption.empty()) return;
    SelectedObject font(dc, CurrentFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(
        dc, cell_.Enabled() ? ToColorRef(cell_.GetFont().color) : ::GetSysColor(COLOR_GRAYTEXT));
    RECT text = client;
    ::InflateRect(&text, -kTextMargin, 0);
    DrawProgramText(dc, caption, text,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  }

 private:
  HeaderCell& cell_;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(HeaderCell& cell) {
  auto peer = std::make_unique<HeaderCellPeer>(cell);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
