#pragma once
// Components: objects with an owner and a name. An owner destroys what it owns, last made
// first, as the windows' clean-up expects.
#include <memory>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"

namespace gui {

class Component {
 public:
  Component(Component* owner, AnsiString name);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Component* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }

  // Creates a component owned by this one; the first two constructor arguments of T are the
  // owner and the name.
  template <class T, class... Args>
  T& Make(AnsiString name, Args&&... args) {
    auto made = std::make_unique<T>(this, std::move(name), std::forward<Args>(args)...);
    T& ref = *made;
    owned_.push_back(std::move(made));
    return ref;
  }
  // Destroys an owned component now.
  void DestroyOwned(Component& component);
  // Finds an owned component by name, searching owned components' own components too.
  Component* FindComponent(const AnsiString& name) const;
  const std::vector<std::unique_ptr<Component>>& Components() const { return owned_; }

 protected:
  void DestroyComponents();

 private:
  Component* owner_;
  AnsiString name_;
  std::vector<std::unique_ptr<Component>> owned_;
};

}  // namespace gui
