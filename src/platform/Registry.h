#pragma once
// The registry, through an accessor object in the runtime's manner: a root key, one key of it
// open at a time, string values read and written by name.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/AnsiString.h"

namespace platform {

enum class RootKey { CurrentUser, ClassesRoot };

// The registry accessor: a root key (HKEY_CURRENT_USER until changed), full access, at most one
// key open at a time. Releasing the accessor closes its key. Key and value names are compared
// without regard to case, as the system does.
class Registry {
 public:
  Registry();
  ~Registry();  // closes the open key
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  RootKey GetRootKey() const;
  void SetRootKey(RootKey root);  // closes the open key

  // Opens path (backslash-separated, below the root; a leading backslash changes nothing); with
  // canCreate, creates it and its missing parents. Closes the key open before, also when the
  // new one fails, so a following write never lands in the key of an earlier step. False when
  // it cannot be opened or created (full access is asked for, so a key the user may only read
  // cannot be opened either).
  bool OpenKey(const AnsiString& path, bool canCreate);
  void CloseKey();
  bool HasOpenKey() const;

  // The value of the open key; "" when there is no such value, when it holds no data at all,
  // or when no key is open. A string value reads up to its first NUL; an expandable string is
  // read as stored, its %variables% unexpanded.
  // Throws ERegistryException "Invalid data type for '%s'" (the value name) when the value
  // holds data and is not a string (REG_SZ or REG_EXPAND_SZ count as strings), and
  // EEncodingError when code page 936 cannot hold its text.
  AnsiString ReadString(const AnsiString& name);
  // Writes a REG_SZ value (an empty name: the key's default value). Throws ERegistryException
  // "Failed to set data for '%s'" when no key is open or the system refuses.
  void WriteString(const AnsiString& name, const AnsiString& value);
  // Writes a REG_DWORD value; the same error as WriteString.
  void WriteInteger(const AnsiString& name, std::uint32_t value);

  // A value as the system stores it, for putting back exactly what was there: the REG_* type
  // number (REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4, REG_MULTI_SZ 7, ...) and the
  // data. The string kinds (1, 2, 7) hold code page 936 text with every NUL the system stores, the
  // terminating ones included: WriteString("x", "abc") reads back as "abc\0", a multi-string as
  // its strings each ended by a NUL, then one more NUL. The other kinds hold their bytes as stored
  // (a DWORD its four bytes, low byte first).
  struct RawValue {
    std::uint32_t type = 1;
    std::string data;
    bool operator==(const RawValue& other) const {
      return type == other.type && data == other.data;
    }
    bool operator!=(const RawValue& other) const { return !(*this == other); }
  };
  // The value of the open key as stored; nothing when there is no such value or no key is open.
  // EEncodingError when the text of a string kind is not one code page 936 can hold.
  std::optional<RawValue> ReadRaw(const AnsiString& name);
  // Stores the value exactly as given (what ReadRaw gave puts back the same value). Throws
  // ERegistryException "Failed to set data for '%s'" when no key is open or the system refuses.
  void WriteRaw(const AnsiString& name, const RawValue& value);
  // Deletes a value of the open key; true when it was there and is deleted.
  bool DeleteValue(const AnsiString& name);
  // Whether the key exists below the root, looked up without opening it here: the open key
  // stays open.
  bool KeyExists(const AnsiString& path);
  // Deletes the key below the root when it holds no values and no subkeys; true when deleted.
  // Close the key first when it is the one open.
  bool DeleteKeyIfEmpty(const AnsiString& path);

  struct Impl;

 private:
  RootKey root_ = RootKey::CurrentUser;
  std::unique_ptr<Impl> impl_;  // the open key of the back end
};

// A registry value as stored, for code that keeps values without a registry accessor at hand.
using RawValue = Registry::RawValue;

}  // namespace platform
