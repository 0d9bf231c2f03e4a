#include "platform/win32/gui/PeerKinds.h"

#include <type_traits>

#include "platform/gui/ControlKinds.h"

namespace gui::win32 {

void RegisterPeers(PeerRegistry& registry) {
  RegisterEveryKind(registry, [](auto& control) {
    // The maker of exactly this kind: a kind without one of its own does not compile, rather
    // than borrowing the maker of a kind it derives from.
    std::unique_ptr<Peer> (*const make)(std::decay_t<decltype(control)>&) = &MakePeer;
    return make(control);
  });
}

}  // namespace gui::win32
