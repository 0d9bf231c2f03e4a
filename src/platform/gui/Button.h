#pragma once
// A push button: its caption, and OnClick when the user presses it.
#include "platform/gui/Control.h"

namespace gui {

class Button : public Control {
 public:
  Button(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "Button"; }
  std::type_index PeerKind() const override { return typeid(Button); }
};

}  // namespace gui
