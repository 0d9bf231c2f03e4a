#include "platform/gui/PeerRegistry.h"

#include "platform/Errors.h"

namespace gui {

std::unique_ptr<Peer> PeerRegistry::Make(Control& control) const {
  const auto maker = makers_.find(control.PeerKind());
  if (maker == makers_.end()) {
    throw Exception(Format("Control %s: no window kind for controls of kind %s",
                           control.Name().c_str(), control.Kind()));
  }
  return maker->second(control);
}

}  // namespace gui
