#pragma once
// A horizontal separator: an etched line across the control's middle (a shadow line over a
// highlight line) that fades from full strength at the left into the control's colour at the
// right. Nothing but the line and the colour shows.
#include "platform/gui/Control.h"

namespace gui {

class Separator : public Control {
 public:
  Separator(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Separator"; }
  std::type_index PeerKind() const override { return typeid(Separator); }
};

}  // namespace gui
