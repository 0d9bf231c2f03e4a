#include "contract/RegistryTestValues.h"

#include "platform/sim/SimMachine.h"

namespace contract {
namespace {

sim::RegistryType SimType(RawType type) {
  switch (type) {
    case RawType::String:
      return sim::RegistryType::String;
    case RawType::ExpandString:
      return sim::RegistryType::ExpandString;
    case RawType::MultiString:
      return sim::RegistryType::MultiString;
    case RawType::DWord:
      return sim::RegistryType::DWord;
    case RawType::Binary:
      break;
  }
  return sim::RegistryType::Binary;
}

RawType ContractType(sim::RegistryType type) {
  switch (type) {
    case sim::RegistryType::String:
      return RawType::String;
    case sim::RegistryType::ExpandString:
      return RawType::ExpandString;
    case sim::RegistryType::MultiString:
      return RawType::MultiString;
    case sim::RegistryType::DWord:
      return RawType::DWord;
    case sim::RegistryType::Binary:
      break;
  }
  return RawType::Binary;
}

}  // namespace

void PutRawValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                 const RawValue& value) {
  sim::SimMachine::Current().Registry().SetValue(root, key, name,
                                                 {SimType(value.type), value.data});
}

std::optional<RawValue> GetRawValue(platform::RootKey root, const AnsiString& key,
                                    const AnsiString& name) {
  const auto value = sim::SimMachine::Current().Registry().GetValue(root, key, name);
  if (!value) return std::nullopt;
  return RawValue{ContractType(value->type), value->data};
}

bool KeyExists(platform::RootKey root, const AnsiString& key) {
  return sim::SimMachine::Current().Registry().KeyExists(root, key);
}

}  // namespace contract
