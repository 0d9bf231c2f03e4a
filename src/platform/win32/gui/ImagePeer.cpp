// Images: windows of the toolkit's own class that paint a BITMAP resource of the program, at
// its natural size from the top-left corner or stretched into the window. The bitmap is loaded
// when the name changes and kept until the next change; a name the program has no bitmap for
// leaves the window in the image's colour.
#include "platform/gui/Image.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/gui/PaintedPeer.h"
#include "platform/win32/gui/PeerKinds.h"

namespace gui::win32 {

namespace {

using platform::win32::UniqueResource;

inline void DeleteMemoryDc(HDC dc) noexcept { ::DeleteDC(dc); }
using UniqueMemoryDc =
    UniqueResource<platform::win32::traits::Simple<HDC, nullptr, DeleteMemoryDc>>;

class ImagePeer : public PaintedPeer {
 public:
  explicit ImagePeer(Image& image) : PaintedPeer(image), image_(image) {}

  void Create() { CreateChild(); }

 protected:
  void UpdateKind(Changes changed) override {
    if (changed.Has(Aspect::Value)) Load();
    if (changed.Has(Aspect::Value) || changed.Has(Aspect::Style)) Invalidate();
  }

  void PaintOn(HDC dc, const RECT& client) override {
    if (!bitmap_) {
      ::FillRect(dc, &client, BackgroundBrush());
      return;
    }
    const UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source) return;
    SelectedObject picture(source.Get(), bitmap_.Get());
    if (image_.Stretch()) {
      ::SetStretchBltMode(dc, COLORONCOLOR);
      ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.Get(), 0, 0, size_.cx, size_.cy,
                   SRCCOPY);
      return;
    }
    ::BitBlt(dc, 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
    // The colour right of and below the picture.
    const RECT right = {size_.cx, 0, client.right, client.bottom};
    const RECT below = {0, size_.cy, size_.cx, client.bottom};
    for (const RECT& area : {right, below}) {
      if (area.left < area.right && area.top < area.bottom) {
        ::FillRect(dc, &area, BackgroundBrush());
      }
    }
  }

 private:
  void Load() {
    bitmap_.Reset();
    size_ = {};
    const AnsiString& name = image_.BitmapResource();
    if (name.empty()) return;
    bitmap_.Reset(::LoadImageW(::GetModuleHandleW(nullptr), platform::win32::Wide(name).c_str(),
                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (bitmap_ && ::GetObjectW(bitmap_.Get(), sizeof(info), &info) == sizeof(info)) {
      size_ = {info.bmWidth, info.bmHeight};
    } else {
      bitmap_.Reset();
    }
  }

  Image& image_;
  UniqueGdiObject bitmap_;
  SIZE size_ = {};
};

}  // namespace

std::unique_ptr<Peer> MakePeer(Image& image) {
  auto peer = std::make_unique<ImagePeer>(image);
  peer->Create();
  return peer;
}

}  // namespace gui::win32
