#pragma once
// Peers bound by type: a back end registers one maker per toolkit control type it can show,
// and a control gets the peer of its PeerKind. A control whose kind has no maker is refused when
// its peer is due, loudly, in every back end; there is no stand-in that would show something
// else.
#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

#include "platform/gui/Control.h"

namespace gui {

class PeerRegistry {
 public:
  template <class T>
  void Register(std::function<std::unique_ptr<Peer>(T&)> make) {
    makers_[std::type_index(typeid(T))] = [make = std::move(make)](Control& control) {
      return make(static_cast<T&>(control));
    };
  }

  // The peer of control, made by the maker of its kind. Throws Exception when there is none.
  std::unique_ptr<Peer> Make(Control& control) const;

 private:
  std::unordered_map<std::type_index, std::function<std::unique_ptr<Peer>(Control&)>> makers_;
};

}  // namespace gui
