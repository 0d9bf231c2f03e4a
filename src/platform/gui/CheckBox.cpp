#include "platform/gui/CheckBox.h"

namespace gui {

void CheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Changed(Aspect::Value);
}

bool CheckBox::ClickEffect() {
  SetChecked(!checked_);
  return true;
}

}  // namespace gui
