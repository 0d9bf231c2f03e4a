#pragma once
// A check box. A user click toggles it, then raises OnClick; the program's SetChecked changes
// the state alone.
#include "platform/gui/Control.h"

namespace gui {

class CheckBox : public Control {
 public:
  CheckBox(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "CheckBox"; }
  std::type_index PeerKind() const override { return typeid(CheckBox); }

  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 protected:
  bool ClickEffect() override;

 private:
  bool checked_ = false;
};

}  // namespace gui
