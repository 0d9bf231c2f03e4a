#include "platform/gui/Component.h"

#include <algorithm>

namespace gui {

Component::Component(Component* owner, AnsiString name) : owner_(owner), name_(std::move(name)) {}

Component::~Component() { DestroyComponents(); }

void Component::DestroyComponents() {
  // Last made first, so a component never outlives what it was built on.
  while (!owned_.empty()) {
    std::unique_ptr<Component> last = std::move(owned_.back());
    owned_.pop_back();
    last.reset();
  }
}

void Component::DestroyOwned(Component& component) {
  auto it = std::find_if(owned_.begin(), owned_.end(), [&](const std::unique_ptr<Component>& c) {
    return c.get() == &component;
  });
  if (it == owned_.end()) return;
  std::unique_ptr<Component> doomed = std::move(*it);
  owned_.erase(it);
  doomed.reset();
}

Component* Component::FindComponent(const AnsiString& name) const {
  for (const auto& c : owned_) {
    if (c->Name() == name) return c.get();
  }
  for (const auto& c : owned_) {
    if (Component* found = c->FindComponent(name)) return found;
  }
  return nullptr;
}

}  // namespace gui
