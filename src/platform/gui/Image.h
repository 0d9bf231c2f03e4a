#pragma once
// A picture: a bitmap resource of the program, named (a BITMAP resource), drawn from the
// top-left corner at its natural size (cut off by the box, the rest in the control's colour) or,
// with Stretch, scaled into the whole box. Without a name, or when the program carries no such
// bitmap, the box shows the control's colour.
#include "platform/gui/Control.h"

namespace gui {

class Image : public Control {
 public:
  Image(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Image"; }
  std::type_index PeerKind() const override { return typeid(Image); }

  const AnsiString& BitmapResource() const { return bitmapResource_; }
  void SetBitmapResource(const AnsiString& name);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

 private:
  AnsiString bitmapResource_;
  bool stretch_ = false;
};

}  // namespace gui
