#include "platform/gui/Image.h"

namespace gui {

void Image::SetBitmapResource(const AnsiString& name) {
  if (bitmapResource_ == name) return;
  bitmapResource_ = name;
  Changed(Aspect::Value);
}

void Image::SetStretch(bool stretch) {
  if (stretch_ == stretch) return;
  stretch_ = stretch;
  Changed(Aspect::Style);
}

}  // namespace gui
