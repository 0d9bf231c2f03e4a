#include "platform/win32/gui/PeerKinds.h"

#include <cstring>

namespace gui::win32 {

std::unique_ptr<WindowPeer> MakePeer(Control& control) {
  struct Kind {
    const char* name;
    std::unique_ptr<WindowPeer> (*make)(Control&);
  };
  static constexpr Kind kKinds[] = {
      {"Form", &MakeFormPeer},
      {"Panel", &MakePanelPeer},
      {"Label", &MakeLabelPeer},
  };
  for (const Kind& kind : kKinds) {
    if (std::strcmp(control.Kind(), kind.name) == 0) return kind.make(control);
  }
  // A kind without a window class of its own is shown as a painted area with its colour and
  // caption, so a window using it still opens.
  return MakePanelPeer(control);
}

}  // namespace gui::win32
