// Shapes: windows of the toolkit's own class that paint a frame of the pen's width in the pen
// colour. The window's region is the frame alone, so the inside shows, and passes the user's
// clicks to, whatever lies under it (the table the frame goes around).
#include "platform/gui/Shape.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

class ShapePeer : public PaintedPeer {
 public:
  explicit ShapePeer(Shape& shape) : PaintedPeer(shape), shape_(shape) {}

  void Create() { CreateChild(); }

 protected:
  void UpdateKind(Changes changed) override {
    if (!changed.Has(Aspect::Style)) return;
    // A new width moves the inside edge of the frame.
    KeepToFrame();
    Invalidate();
  }

  void UpdateGeometry() override {
    PaintedPeer::UpdateGeometry();
    KeepToFrame();
  }

  // The frame is the pen's width of one-pixel rings, from the edge inwards.
  void PaintOn(HDC dc, const RECT& client) override {
    const HBRUSH pen = pen_.Get(shape_.PenColor());
    RECT ring = client;
    for (int i = 0; i < shape_.PenWidth() && ring.right > ring.left && ring.bottom > ring.top;
         ++i) {
      ::FrameRect(dc, &ring, pen);
      ::InflateRect(&ring, -1, -1);
    }
  }

 private:
  // Cuts the window down to its frame: the outer rectangle less the inner one.
  void KeepToFrame() {
    const int width = shape_.Width();
    const int height = shape_.Height();
    const int pen = shape_.PenWidth();
    UniqueGdiObject frame(::CreateRectRgn(0, 0, width, height));
    const UniqueGdiObject inside(::CreateRectRgn(pen, pen, width - pen, height - pen));
    if (!frame || !inside) return;
    if (width > 2 * pen && height > 2 * pen) {
      ::CombineRgn(static_cast<HRGN>(frame.Get()), static_cast<HRGN>(frame.Get()),
                   static_cast<HRGN>(inside.Get()), RGN_DIFF);
    }
    // The window owns the region once it has taken it.
    if (::SetWindowRgn(Handle(), static_cast<HRGN>(frame.Get()), TRUE)) {
      static_cast<void>(frame.Release());
    }
  }

  Shape& shape_;
  BrushCache pen_;
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Shape& shape) {
  auto peer = std::make_unique<ShapePeer>(shape);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
