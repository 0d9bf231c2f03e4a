#pragma once
// A radio button. The radio buttons of one parent form a group: checking one, by the user or
// the program, unchecks the others. A user click checks it and raises OnClick, unless it was
// checked already.
#include "platform/gui/Control.h"

namespace gui {

class RadioButton : public Control {
 public:
  RadioButton(Component* owner, AnsiString name) : Control(owner, std::move(name)) {}
  const char* Kind() const override { return "RadioButton"; }
  std::type_index PeerKind() const override { return typeid(RadioButton); }

  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 protected:
  bool ClickEffect() override;

 private:
  void UncheckSiblings();
  bool checked_ = false;
};

}  // namespace gui
