#include "platform/sim/SimRegistry.h"

#include <algorithm>

#include "platform/sim/Utf8.h"

namespace sim {
namespace {

// A registry name folded for comparison: the system compares names without regard to case,
// which among the characters of code page 936 concerns the ASCII letters and the full-width
// Latin (lead byte A3), Greek (A6) and Cyrillic (A7) letters. Other trail bytes are left alone,
// even where they fall among the ASCII letters.
AnsiString FoldName(const AnsiString& name) {
  AnsiString folded = name;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (IsLeadByte(folded[i]) && i + 1 < folded.size()) {
      const auto trail = static_cast<unsigned char>(folded[++i]);
      const bool upperLatinOrGreek = (byte == 0xA3 && trail >= 0xC1 && trail <= 0xDA) ||
                                     (byte == 0xA6 && trail >= 0xA1 && trail <= 0xB8);
      if (upperLatinOrGreek) folded[i] = static_cast<char>(trail + 0x20);
      if (byte == 0xA7 && trail >= 0xA1 && trail <= 0xC1)
        folded[i] = static_cast<char>(trail + 0x30);
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte + ('a' - 'A'));
    }
  }
  return folded;
}

// A key path as the names of its keys: split at backslashes that are characters of their own
// (a slash belongs to a key's name), empty parts skipped.
std::vector<AnsiString> KeyNames(const AnsiString& path) {
  std::vector<AnsiString> names(1);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i]) && i + 1 < path.size()) {
      names.back() += path.substr(i++, 2);
    } else if (path[i] != '\\') {
      names.back() += path[i];
    } else if (!names.back().empty()) {
      names.emplace_back();
    }
  }
  if (names.back().empty()) names.pop_back();
  return names;
}

// The path of a key as the machine files it: its names joined by single backslashes.
AnsiString KeyPath(const std::vector<AnsiString>& names, std::size_t count) {
  AnsiString path;
  for (std::size_t i = 0; i < count; ++i) path += (i == 0 ? "" : "\\") + names[i];
  return path;
}

}  // namespace

RegistryValue DWordValue(std::uint32_t number) {
  RegistryValue value;
  value.type = RegistryType::DWord;
  for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>(number >> shift);
  return value;
}

SimRegistry::KeyState& SimRegistry::CreateKeyLocked(Hive& hive, const AnsiString& key) {
  const std::vector<AnsiString> names = KeyNames(key);
  KeyState* state = &hive.keys[""];
  for (std::size_t count = 1; count <= names.size(); ++count) {
    const AnsiString path = KeyPath(names, count);
    state = &hive.keys[FoldName(path)];
    if (state->path.empty()) state->path = path;
  }
  return *state;
}

const SimRegistry::KeyState* SimRegistry::FindKeyLocked(const Hive& hive,
                                                        const AnsiString& key) const {
  const std::vector<AnsiString> names = KeyNames(key);
  const auto state = hive.keys.find(FoldName(KeyPath(names, names.size())));
  // The root is always there, with or without values.
  if (state == hive.keys.end()) return names.empty() ? &emptyKey_ : nullptr;
  return &state->second;
}

void SimRegistry::SetValue(platform::RootKey root, const AnsiString& key, const AnsiString& name,
                           RegistryValue value) {
  std::lock_guard<std::mutex> lock(mutex_);
  KeyState& state = CreateKeyLocked(HiveOf(root), key);
  const AnsiString folded = FoldName(name);
  const auto existing = state.values.find(folded);
  if (existing != state.values.end()) {
    existing->second.second = std::move(value);
    return;
  }
  state.values.emplace(folded, std::make_pair(name, std::move(value)));
  state.order.push_back(folded);
}

std::optional<RegistryValue> SimRegistry::GetValue(platform::RootKey root, const AnsiString& key,
                                                   const AnsiString& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const KeyState* state = FindKeyLocked(HiveOf(root), key);
  if (!state) return std::nullopt;
  const auto value = state->values.find(FoldName(name));
  if (value == state->values.end()) return std::nullopt;
  return value->second.second;
}

std::vector<AnsiString> SimRegistry::ValueNames(platform::RootKey root,
                                                const AnsiString& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<AnsiString> names;
  const KeyState* state = FindKeyLocked(HiveOf(root), key);
  if (!state) return names;
  for (const AnsiString& folded : state->order) names.push_back(state->values.at(folded).first);
  return names;
}

bool SimRegistry::KeyExists(platform::RootKey root, const AnsiString& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return FindKeyLocked(HiveOf(root), key) != nullptr;
}

void SimRegistry::SetWritesRefused(platform::RootKey root, bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  HiveOf(root).writesRefused = refused;
}

bool SimRegistry::OpenKey(platform::RootKey root, const AnsiString& key, bool canCreate) {
  std::lock_guard<std::mutex> lock(mutex_);
  Hive& hive = HiveOf(root);
  if (hive.writesRefused) return false;  // full access is what the program asks for
  if (FindKeyLocked(hive, key)) return true;
  if (!canCreate) return false;
  CreateKeyLocked(hive, key);
  return true;
}

bool SimRegistry::DeleteValue(platform::RootKey root, const AnsiString& key,
                              const AnsiString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Hive& hive = HiveOf(root);
  if (hive.writesRefused || !FindKeyLocked(hive, key)) return false;
  KeyState& state = CreateKeyLocked(hive, key);  // the key found above
  const AnsiString folded = FoldName(name);
  if (state.values.erase(folded) == 0) return false;
  state.order.erase(std::find(state.order.begin(), state.order.end(), folded));
  return true;
}

bool SimRegistry::DeleteKeyIfEmpty(platform::RootKey root, const AnsiString& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  Hive& hive = HiveOf(root);
  const std::vector<AnsiString> names = KeyNames(key);
  if (hive.writesRefused || names.empty()) return false;
  const AnsiString folded = FoldName(KeyPath(names, names.size()));
  const auto state = hive.keys.find(folded);
  if (state == hive.keys.end() || !state->second.values.empty()) return false;
  // A subkey's path continues its parent's with a backslash.
  const AnsiString below = folded + "\\";
  const auto subkey = hive.keys.lower_bound(below);
  if (subkey != hive.keys.end() && subkey->first.compare(0, below.size(), below) == 0) return false;
  hive.keys.erase(state);
  return true;
}

RegistrySnapshot SimRegistry::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  RegistrySnapshot snapshot;
  const char* const hiveNames[] = {"HKCU", "HKCR"};
  for (int hive = 0; hive < 2; ++hive) {
    for (const auto& [folded, state] : hives_[hive].keys) {
      if (folded.empty() && state.values.empty()) continue;
      auto& values = snapshot.keys[AnsiString(hiveNames[hive]) + "\\" + state.path];
      for (const auto& [foldedName, named] : state.values) values[named.first] = named.second;
    }
  }
  return snapshot;
}

std::string RegistrySnapshot::Text() const {
  static const char* const kTypes[] = {"REG_SZ", "REG_EXPAND_SZ", "REG_MULTI_SZ", "REG_DWORD",
                                       "REG_BINARY"};
  std::string text;
  for (const auto& [key, values] : keys) {
    text += "[" + Utf8(key) + "]\n";
    for (const auto& [name, value] : values) {
      text += "  " + (name.empty() ? std::string("@") : Utf8(name)) + " " +
              kTypes[static_cast<int>(value.type)] + " ";
      for (const char c : value.data) {
        const auto byte = static_cast<unsigned char>(c);
        text += Format("%02X", byte);
      }
      text += "\n";
    }
  }
  return text;
}

}  // namespace sim
