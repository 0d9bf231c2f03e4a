#include "platform/Registry.h"

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

}  // namespace platform
