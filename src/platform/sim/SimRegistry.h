#pragma once
// The registry of the simulated machine: HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, each its own
// tree. Key paths are backslash-separated below the root (empty parts are skipped); key and
// value names are compared without regard to case (ASCII, and the full-width, Greek and Cyrillic
// letters of code page 936), and keep the case they were first given.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Registry.h"

namespace sim {

// The kinds of registry data the machine tells apart.
enum class RegistryType { String, ExpandString, MultiString, DWord, Binary };

// One registry value. The string kinds hold code page 936 text as stored (a multi-string its
// strings each ended by a NUL, then one more NUL); the others hold their bytes as stored (a
// DWORD its four bytes, low byte first).
struct RegistryValue {
  RegistryType type = RegistryType::String;
  std::string data;
  bool operator==(const RegistryValue& other) const {
    return type == other.type && data == other.data;
  }
};

// A DWORD value's data.
RegistryValue DWordValue(std::uint32_t number);

// The whole registry at one moment, for comparing before and after: every key of both hives (by
// "HKCU\" or "HKCR\" and its path as first given; a hive's root only when it holds values) with
// its values by name as first given.
struct RegistrySnapshot {
  std::map<AnsiString, std::map<AnsiString, RegistryValue>> keys;
  bool operator==(const RegistrySnapshot& other) const { return keys == other.keys; }
  bool operator!=(const RegistrySnapshot& other) const { return !(*this == other); }
  // One line per key and per value, in UTF-8, for a test's failure message.
  std::string Text() const;
};

class SimRegistry {
 public:
  // Arranges a value, creating its key and missing parents; an empty name is the key's
  // default value. Works also where the program may not write: it is the test's doing.
  void SetValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                RegistryValue value);
  std::optional<RegistryValue> GetValue(platform::RootKey root, const AnsiString& key,
                                        const AnsiString& name) const;
  // The key's value names as first given, in the order they were first set.
  std::vector<AnsiString> ValueNames(platform::RootKey root, const AnsiString& key) const;
  bool KeyExists(platform::RootKey root, const AnsiString& key) const;
  // For the registry accessor: deletes a value; true when it was there. False when writes are
  // refused.
  bool DeleteValue(platform::RootKey root, const AnsiString& key, const AnsiString& name);
  // For the registry accessor: deletes the key when it holds no values and no subkeys (never a
  // hive's root); true when deleted. False when writes are refused.
  bool DeleteKeyIfEmpty(platform::RootKey root, const AnsiString& key);
  RegistrySnapshot Snapshot() const;
  // The program runs as a user without the right to write below root: a key there cannot be
  // created, nor opened with the full access the program asks for.
  void SetWritesRefused(platform::RootKey root, bool refused);
  // For the registry accessor: opens key with full access, creating it and its missing parents
  // when canCreate; false when it does not exist (and may not be created) or writes are refused.
  bool OpenKey(platform::RootKey root, const AnsiString& key, bool canCreate);

 private:
  struct KeyState {
    AnsiString path;  // as first given
    // By folded name: the name as first given and the value.
    std::map<AnsiString, std::pair<AnsiString, RegistryValue>> values;
    std::vector<AnsiString> order;  // folded names, in the order first set
  };
  struct Hive {
    std::map<AnsiString, KeyState> keys;  // by folded path; the root is ""
    bool writesRefused = false;
  };

  Hive& HiveOf(platform::RootKey root) { return hives_[static_cast<int>(root)]; }
  const Hive& HiveOf(platform::RootKey root) const { return hives_[static_cast<int>(root)]; }
  KeyState& CreateKeyLocked(Hive& hive, const AnsiString& key);
  // The key, or null when it does not exist.
  const KeyState* FindKeyLocked(const Hive& hive, const AnsiString& key) const;

  mutable std::mutex mutex_;
  Hive hives_[2];
  const KeyState emptyKey_{};  // the root of a hive that was never written to
};

}  // namespace sim
