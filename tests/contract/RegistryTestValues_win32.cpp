#include "contract/RegistryTestValues.h"

#include <stdexcept>
#include <vector>

#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace contract {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

HKEY RootHandle(platform::RootKey root) {
  return root == platform::RootKey::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

DWORD SystemType(RawType type) {
  switch (type) {
    case RawType::String:
      return REG_SZ;
    case RawType::ExpandString:
      return REG_EXPAND_SZ;
    case RawType::MultiString:
      return REG_MULTI_SZ;
    case RawType::DWord:
      return REG_DWORD;
    case RawType::Binary:
      break;
  }
  return REG_BINARY;
}

bool IsText(RawType type) { return type != RawType::DWord && type != RawType::Binary; }

}  // namespace

void PutRawValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                 const RawValue& value) {
  platform::win32::UniqueHKey handle;
  if (::RegCreateKeyExW(RootHandle(root), Wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, handle.Put(), nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create the test's registry key");
  }
  std::wstring text;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(value.data.data());
  std::size_t size = value.data.size();
  if (IsText(value.type)) {
    text = Wide(value.data);
    if (value.type != RawType::MultiString) text += L'\0';
    bytes = reinterpret_cast<const BYTE*>(text.data());
    size = text.size() * sizeof(wchar_t);
  }
  if (::RegSetValueExW(handle.Get(), Wide(name).c_str(), 0, SystemType(value.type), bytes,
                       static_cast<DWORD>(size)) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot set the test's registry value");
  }
}

std::optional<RawValue> GetRawValue(platform::RootKey root, const AnsiString& key,
                                    const AnsiString& name) {
  platform::win32::UniqueHKey handle;
  if (::RegOpenKeyExW(RootHandle(root), Wide(key).c_str(), 0, KEY_READ, handle.Put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring valueName = Wide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> bytes(size);
  if (::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, bytes.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value;
  switch (type) {
    case REG_SZ:
      value.type = RawType::String;
      break;
    case REG_EXPAND_SZ:
      value.type = RawType::ExpandString;
      break;
    case REG_MULTI_SZ:
      value.type = RawType::MultiString;
      break;
    case REG_DWORD:
      value.type = RawType::DWord;
      break;
    default:
      value.type = RawType::Binary;
      break;
  }
  if (!IsText(value.type)) {
    value.data.assign(bytes.begin(), bytes.begin() + size);
    return value;
  }
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), size / sizeof(wchar_t));
  if (value.type != RawType::MultiString && !text.empty() && text.back() == L'\0') text.pop_back();
  value.data = Narrow(text);
  return value;
}

bool KeyExists(platform::RootKey root, const AnsiString& key) {
  platform::win32::UniqueHKey handle;
  return ::RegOpenKeyExW(RootHandle(root), Wide(key).c_str(), 0, KEY_READ, handle.Put()) ==
         ERROR_SUCCESS;
}

}  // namespace contract
