#include <optional>
#include <stdexcept>
#include <string>

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

// The system's REG_* numbers of the kinds the machine holds.
constexpr std::uint32_t kString = 1;
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDWord = 4;
constexpr std::uint32_t kMultiString = 7;

std::uint32_t TypeNumber(sim::RegistryType type) {
  switch (type) {
    case sim::RegistryType::String:
      return kString;
    case sim::RegistryType::ExpandString:
      return kExpandString;
    case sim::RegistryType::MultiString:
      return kMultiString;
    case sim::RegistryType::DWord:
      return kDWord;
    case sim::RegistryType::Binary:
      break;
  }
  return kBinary;
}

sim::RegistryType TypeOfNumber(std::uint32_t number) {
  switch (number) {
    case kString:
      return sim::RegistryType::String;
    case kExpandString:
      return sim::RegistryType::ExpandString;
    case kMultiString:
      return sim::RegistryType::MultiString;
    case kDWord:
      return sim::RegistryType::DWord;
    case kBinary:
      return sim::RegistryType::Binary;
    default:
      throw std::logic_error("the simulated registry holds no values of type " +
                             std::to_string(number));
  }
}

sim::SimRegistry& Machine() { return sim::SimMachine::Current().Registry(); }

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

// The machine keeps a string or expandable string without the final NUL the system stores with
// it (WriteString's "abc" is stored "abc\0"): it is added here and taken off when written.
std::optional<Registry::RawValue> Registry::ReadRaw(const AnsiString& name) {
  if (!impl_->key) return std::nullopt;
  const std::optional<sim::RegistryValue> value = Machine().GetValue(root_, *impl_->key, name);
  if (!value) return std::nullopt;
  RawValue raw{TypeNumber(value->type), value->data};
  if (IsStringType(value->type)) raw.data += '\0';
  return raw;
}

void Registry::WriteRaw(const AnsiString& name, const RawValue& value) {
  if (!impl_->key) throw ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
  sim::RegistryValue stored{TypeOfNumber(value.type), value.data};
  if (IsStringType(stored.type) && !stored.data.empty() && stored.data.back() == '\0') {
    stored.data.pop_back();
  }
  Machine().SetValue(root_, *impl_->key, name, std::move(stored));
}

bool Registry::DeleteValue(const AnsiString& name) {
  return impl_->key && Machine().DeleteValue(root_, *impl_->key, name);
}

bool Registry::KeyExists(const AnsiString& path) { return Machine().KeyExists(root_, path); }

bool Registry::DeleteKeyIfEmpty(const AnsiString& path) {
  return Machine().DeleteKeyIfEmpty(root_, path);
}

}  // namespace platform
