#pragma once
// The registry, through an accessor object in the runtime's manner: a root key, one key of it
// open at a time, string values read and written by name.
#include <cstdint>
#include <memory>

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

  struct Impl;

 private:
  RootKey root_ = RootKey::CurrentUser;
  std::unique_ptr<Impl> impl_;  // the open key of the back end
};

}  // namespace platform
