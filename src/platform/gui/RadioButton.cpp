#include "platform/gui/RadioButton.h"

namespace gui {

void RadioButton::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Changed(Aspect::Value);
  if (checked_) UncheckSiblings();
}

void RadioButton::UncheckSiblings() {
  if (!Parent()) return;
  for (Control* sibling : Parent()->Children()) {
    auto* radio = dynamic_cast<RadioButton*>(sibling);
    if (radio && radio != this) radio->SetChecked(false);
  }
}

bool RadioButton::ClickEffect() {
  if (checked_) return false;
  SetChecked(true);
  return true;
}

}  // namespace gui
