#include "platform/gui/Edit.h"

namespace gui {

void Edit::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  Changed(Aspect::Style);
}

bool Edit::UserType(const AnsiString& text) {
  if (!Reachable() || readOnly_) return false;
  SetCaptionTypedByUser(text);
  return true;
}

}  // namespace gui
