#include "platform/Registry.h"

#include <algorithm>
#include <vector>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

struct Registry::Impl {
  win32::UniqueHKey key;
};

namespace {

HKEY RootHandle(RootKey root) {
  return root == RootKey::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

// The path below the root: the runtime takes a leading backslash as "from the root".
std::wstring SubKey(const AnsiString& path) {
  return win32::Wide(!path.empty() && path.front() == '\\' ? path.substr(1) : path);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The kinds whose data the system keeps as UTF-16 text.
bool IsTextType(DWORD type) { return IsStringType(type) || type == REG_MULTI_SZ; }

ERegistryException InvalidDataType(const AnsiString& name) {
  return ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
}

ERegistryException SetDataFailed(const AnsiString& name) {
  return ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
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
  const std::wstring subKey = SubKey(path);
  win32::UniqueHKey key;
  LONG result;
  if (canCreate && !subKey.empty()) {
    result =
        ::RegCreateKeyExW(RootHandle(root_), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
  } else {
    result = ::RegOpenKeyExW(RootHandle(root_), subKey.c_str(), 0, KEY_ALL_ACCESS, key.Put());
  }
  if (result != ERROR_SUCCESS) return false;
  impl_->key = std::move(key);
  return true;
}

void Registry::CloseKey() { impl_->key.Reset(); }

bool Registry::HasOpenKey() const { return static_cast<bool>(impl_->key); }

AnsiString Registry::ReadString(const AnsiString& name) {
  if (!impl_->key) return AnsiString();
  const std::wstring valueName = win32::Wide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(impl_->key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      size == 0) {
    return AnsiString();
  }
  if (!IsStringType(type)) throw InvalidDataType(name);
  // Room for a final NUL the stored data may lack, and for data grown since the size was asked.
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 2, L'\0');
  for (;;) {
    DWORD bytes = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    const LONG result = ::RegQueryValueExW(impl_->key.Get(), valueName.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (result == ERROR_MORE_DATA) {
      text.assign(bytes / sizeof(wchar_t) + 2, L'\0');
      continue;
    }
    if (result != ERROR_SUCCESS || bytes == 0) return AnsiString();
    if (!IsStringType(type)) throw InvalidDataType(name);
    text[bytes / sizeof(wchar_t)] = L'\0';
    return win32::NarrowZ(text.data());
  }
}

void Registry::WriteString(const AnsiString& name, const AnsiString& value) {
  if (!impl_->key) throw SetDataFailed(name);
  const std::wstring data = win32::Wide(value);
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  if (::RegSetValueExW(impl_->key.Get(), win32::Wide(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()), bytes) != ERROR_SUCCESS) {
    throw SetDataFailed(name);
  }
}

void Registry::WriteInteger(const AnsiString& name, std::uint32_t value) {
  if (!impl_->key) throw SetDataFailed(name);
  const DWORD data = value;
  if (::RegSetValueExW(impl_->key.Get(), win32::Wide(name).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS) {
    throw SetDataFailed(name);
  }
}

std::optional<Registry::RawValue> Registry::ReadRaw(const AnsiString& name) {
  if (!impl_->key) return std::nullopt;
  const std::wstring valueName = win32::Wide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(impl_->key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> bytes;
  for (;;) {
    // A value grown since its size was asked is asked again.
    bytes.assign(size, 0);
    const LONG result = ::RegQueryValueExW(impl_->key.Get(), valueName.c_str(), nullptr, &type,
                                           bytes.empty() ? nullptr : bytes.data(), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return std::nullopt;
    break;
  }
  RawValue value;
  value.type = type;
  if (!IsTextType(type)) {
    value.data.assign(bytes.begin(), bytes.begin() + size);
    return value;
  }
  // Text: whole UTF-16 units as stored, NULs included; a lone last byte is no text and is left out.
  std::wstring text(size / sizeof(wchar_t), L'\0');
  std::copy(bytes.begin(), bytes.begin() + text.size() * sizeof(wchar_t),
            reinterpret_cast<BYTE*>(text.data()));
  value.data = win32::Narrow(text);
  return value;
}

void Registry::WriteRaw(const AnsiString& name, const RawValue& value) {
  if (!impl_->key) throw SetDataFailed(name);
  std::wstring text;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(value.data.data());
  std::size_t size = value.data.size();
  if (IsTextType(value.type)) {
    text = win32::Wide(value.data);
    bytes = reinterpret_cast<const BYTE*>(text.data());
    size = text.size() * sizeof(wchar_t);
  }
  if (::RegSetValueExW(impl_->key.Get(), win32::Wide(name).c_str(), 0, value.type,
                       size == 0 ? nullptr : bytes, static_cast<DWORD>(size)) != ERROR_SUCCESS) {
    throw SetDataFailed(name);
  }
}

bool Registry::DeleteValue(const AnsiString& name) {
  return impl_->key &&
         ::RegDeleteValueW(impl_->key.Get(), win32::Wide(name).c_str()) == ERROR_SUCCESS;
}

bool Registry::KeyExists(const AnsiString& path) {
  win32::UniqueHKey key;
  return ::RegOpenKeyExW(RootHandle(root_), SubKey(path).c_str(), 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

bool Registry::DeleteKeyIfEmpty(const AnsiString& path) {
  const std::wstring subKey = SubKey(path);
  if (subKey.empty()) return false;  // the root stays
  DWORD subKeys = 0;
  DWORD values = 0;
  {
    win32::UniqueHKey key;
    if (::RegOpenKeyExW(RootHandle(root_), subKey.c_str(), 0, KEY_READ, key.Put()) !=
            ERROR_SUCCESS ||
        ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                           &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return false;
    }
  }
  if (subKeys != 0 || values != 0) return false;
  return ::RegDeleteKeyW(RootHandle(root_), subKey.c_str()) == ERROR_SUCCESS;
}

}  // namespace platform
