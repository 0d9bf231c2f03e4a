// Separators: windows of the toolkit's own class that paint their colour and, across the
// middle, a shadow line over a highlight line, each fading column by column from the system
// colour at the left into the separator's colour at the right.
#include "platform/gui/Separator.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

// The colour a fraction (at / span) of the way from one colour to another.
COLORREF Blend(COLORREF from, COLORREF to, int at, int span) {
  const auto channel = [&](int shift) {
    const int a = static_cast<int>((from >> shift) & 0xFF);
    const int b = static_cast<int>((to >> shift) & 0xFF);
    return static_cast<COLORREF>(a + (b - a) * at / span) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

// One row of the line, fading from colour at the left into background at the right.
void FadingRow(HDC dc, int y, int width, COLORREF colour, COLORREF background) {
  const int span = width > 1 ? width - 1 : 1;
  for (int x = 0; x < width; ++x) ::SetPixelV(dc, x, y, Blend(colour, background, x, span));
}

class SeparatorPeer : public PaintedPeer {
 public:
  explicit SeparatorPeer(Separator& separator) : PaintedPeer(separator), separator_(separator) {}

  void Create() { CreateChild(); }

 protected:
  void PaintOn(HDC dc, const RECT& client) override {
    ::FillRect(dc, &client, BackgroundBrush());
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    const COLORREF background = ToColorRef(separator_.GetColor());
    const int top = height > 2 ? (height - 2) / 2 : 0;
    FadingRow(dc, top, width, ::GetSysColor(COLOR_BTNSHADOW), background);
    if (top + 1 < height) {
      FadingRow(dc, top + 1, width, ::GetSysColor(COLOR_BTNHIGHLIGHT), background);
    }
  }

 private:
  Separator& separator_;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Separator& separator) {
  auto peer = std::make_unique<SeparatorPeer>(separator);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
