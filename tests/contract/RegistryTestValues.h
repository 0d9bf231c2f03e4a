#pragma once
// Registry values of every kind, put and read back the way another program (or an
// administrator) would, so the contract can meet what the program's accessor cannot write and
// check what it wrote. RegistryTestValues_win32.cpp uses the system's registry,
// RegistryTestValues_sim.cpp the simulated machine's.
#include <optional>
#include <string>

#include "platform/AnsiString.h"
#include "platform/Registry.h"

namespace contract {

enum class RawType { String, ExpandString, MultiString, DWord, Binary };

// data: the code page 936 text of the string kinds (a multi-string its strings each ended by a
// NUL, then one more NUL; a string has its final NUL added), the bytes of the others.
struct RawValue {
  RawType type = RawType::String;
  std::string data;
};

// Creates the key (and its missing parents) and sets the value; an empty name is the key's
// default value.
void PutRawValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                 const RawValue& value);
// The value as stored (a string without its final NUL); nothing when the key or value is not
// there.
std::optional<RawValue> GetRawValue(platform::RootKey root, const AnsiString& key,
                                    const AnsiString& name);
bool KeyExists(platform::RootKey root, const AnsiString& key);

}  // namespace contract
