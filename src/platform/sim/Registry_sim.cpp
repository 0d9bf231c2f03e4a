#include <optional>

#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/sim/SimMachine.h"

namespace platform {

struct Registry::Impl {
  std::optional<AnsiString> key;  // the open key's path below the root
};

namespace {

bool IsStringType(sim::RegistryType type) {
  return type == sim::RegistryType::String || type == sim::RegistryType::ExpandString;
}

}  // namespace

Registry::Registry() : impl_(std::make_unique<Impl>()) {}

Registry::~Registry() = default;

RootKey Registry::GetRootKey() const { return root_; }

void Registry::SetRootKey(RootKey root) {
  CloseKey();
  root_ = root;
}

bool Registry::OpenKey(const AnsiString& path, bool canCreate) {
  CloseKey();
  if (!sim::SimMachine::Current().Registry().OpenKey(root_, path, canCreate)) return false;
  impl_->key = path;
  return true;
}

void Registry::CloseKey() { impl_->key.reset(); }

bool Registry::HasOpenKey() const { return impl_->key.has_value(); }

AnsiString Registry::ReadString(const AnsiString& name) {
  if (!impl_->key) return AnsiString();
  const std::optional<sim::RegistryValue> value =
      sim::SimMachine::Current().Registry().GetValue(root_, *impl_->key, name);
  if (!value || value->data.empty()) return AnsiString();
  if (!IsStringType(value->type)) {
    throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  }
  return value->data.substr(0, value->data.find('\0'));
}

void Registry::WriteString(const AnsiString& name, const AnsiString& value) {
  if (!impl_->key) throw ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
  sim::SimMachine::Current().Registry().SetValue(root_, *impl_->key, name,
                                                 {sim::RegistryType::String, value});
}

void Registry::WriteInteger(const AnsiString& name, std::uint32_t value) {
  if (!impl_->key) throw ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
  sim::SimMachine::Current().Registry().SetValue(root_, *impl_->key, name, sim::DWordValue(value));
}

}  // namespace platform
