#include "platform/gui/Dialogs.h"

namespace gui {

const char* DialogTitle(DialogType type) {
  switch (type) {
    case DialogType::Warning:
      return "Warning";
    case DialogType::Error:
      return "Error";
    case DialogType::Information:
      return "Information";
    case DialogType::Confirmation:
      return "Confirm";
  }
  return "";
}

}  // namespace gui
