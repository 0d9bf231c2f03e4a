// The raw registry contract: a value read as the system stores it and written back exactly, so
// that undoing a run puts every value back as it was; values and empty keys deleted; keys looked
// up without disturbing the key open.
#include <optional>
#include <string>

#include "contract/ContractEnv.h"
#include "contract/RegistryTestValues.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

namespace contract {
namespace {

using platform::Registry;
using platform::RootKey;
using Raw = Registry::RawValue;

using RegistryRawValuesContract = ContractTest;

// What another program (or an earlier setup) left, and how the accessor reads it raw.
struct RawCase {
  const char* what;
  RawValue put;
  Raw read;
};

const RawCase kRawCases[] = {
    {"a string", {RawType::String, "D:\\Korvello\\"}, {1, std::string("D:\\Korvello\\\0", 13)}},
    {"an empty string", {RawType::String, ""}, {1, std::string("\0", 1)}},
    {"a Chinese string", {RawType::String, "科维罗"}, {1, std::string("科维罗\0", 7)}},
    {"an expandable string",
     {RawType::ExpandString, "%ProgramFiles%\\K"},
     {2, std::string("%ProgramFiles%\\K\0", 17)}},
    {"a multi-string",
     {RawType::MultiString, std::string("a\0中\0\0", 6)},
     {7, std::string("a\0中\0\0", 6)}},
    {"a DWORD",
     {RawType::DWord, std::string("\x01\x00\x00\x80", 4)},
     {4, std::string("\x01\x00\x00\x80", 4)}},
    {"binary bytes",
     {RawType::Binary, std::string("\x00\xFF\x5C\x00\x81", 5)},
     {3, std::string("\x00\xFF\x5C\x00\x81", 5)}},
    {"no bytes", {RawType::Binary, ""}, {3, ""}},
};

TEST_F(RegistryRawValuesContract, AValueReadRawIsPutBackExactlyOverWhatTheRunWrote) {
  for (const RootKey root : {RootKey::CurrentUser, RootKey::ClassesRoot}) {
    for (const RawCase& c : kRawCases) {
      const AnsiString key = RegistryKey("raw");
      PutRawValue(root, key, "Value", c.put);
      Registry registry;
      registry.SetRootKey(root);
      ASSERT_TRUE(registry.OpenKey(key, false));
      const std::optional<Raw> before = registry.ReadRaw("value");
      ASSERT_TRUE(before) << c.what;
      EXPECT_EQ(before->type, c.read.type) << c.what;
      EXPECT_EQ(Readable(before->data), Readable(c.read.data)) << c.what;

      registry.WriteString("Value", "written by the run");
      registry.WriteRaw("Value", *before);
      EXPECT_EQ(registry.ReadRaw("Value"), before) << c.what;
      const std::optional<RawValue> stored = GetRawValue(root, key, "Value");
      ASSERT_TRUE(stored) << c.what;
      EXPECT_EQ(stored->type, c.put.type) << c.what;
      EXPECT_EQ(Readable(stored->data), Readable(c.put.data)) << c.what;
    }
  }
}

TEST_F(RegistryRawValuesContract, WhatTheAccessorWritesReadsBackRawAsTheSystemStoresIt) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey(), true));
  registry.WriteString("", "默认");
  registry.WriteInteger("Count", 0x01020304);
  registry.WriteRaw("Shell", {2, std::string("%SystemRoot%\0", 13)});
  EXPECT_EQ(registry.ReadRaw(""), (Raw{1, std::string("默认\0", 5)}));
  EXPECT_EQ(registry.ReadRaw("count"), (Raw{4, "\x04\x03\x02\x01"}));
  EXPECT_EQ(registry.ReadString("Shell"), "%SystemRoot%");
  EXPECT_FALSE(registry.ReadRaw("Missing"));
  registry.CloseKey();
  EXPECT_FALSE(registry.ReadRaw("Count")) << "no key open";
  try {
    registry.WriteRaw("Count", {4, "\1\0\0\0"});
    ADD_FAILURE() << "a write with no key open";
  } catch (const ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'Count'");
  }
}

TEST_F(RegistryRawValuesContract, AValueIsDeletedOnceAndOnlyFromTheOpenKey) {
  PutRawValue(RootKey::CurrentUser, RegistryKey("k"), "Path", {RawType::String, "D:\\"});
  PutRawValue(RootKey::CurrentUser, RegistryKey("k"), "Kept", {RawType::String, "x"});
  Registry registry;
  EXPECT_FALSE(registry.DeleteValue("Path")) << "no key open";
  ASSERT_TRUE(registry.OpenKey(RegistryKey("k"), false));
  EXPECT_TRUE(registry.DeleteValue("PATH"));
  EXPECT_FALSE(registry.DeleteValue("Path")) << "already gone";
  EXPECT_FALSE(GetRawValue(RootKey::CurrentUser, RegistryKey("k"), "Path"));
  EXPECT_TRUE(GetRawValue(RootKey::CurrentUser, RegistryKey("k"), "Kept"));
}

TEST_F(RegistryRawValuesContract, OnlyAKeyWithNoValuesAndNoSubkeysIsDeleted) {
  struct Case {
    const char* what;
    const char* key;
    bool deleted;
  };
  // Below the test's key: empty\ (nothing), valued\ (a value), parent\child\ (nothing in child),
  // defaulted\ (only a default value).
  const Case cases[] = {
      {"an empty key", "empty", true},
      {"a key with a value", "valued", false},
      {"a key with only its default value", "defaulted", false},
      {"a key with a subkey", "parent", false},
      {"an empty subkey", "parent\\child", true},
      {"a key that is not there", "missing", false},
  };
  for (const Case& c : cases) {
    Registry registry;
    ASSERT_TRUE(registry.OpenKey(RegistryKey("empty"), true));
    ASSERT_TRUE(registry.OpenKey(RegistryKey("parent\\child"), true));
    ASSERT_TRUE(registry.OpenKey(RegistryKey("valued"), true));
    registry.WriteString("Name", "x");
    ASSERT_TRUE(registry.OpenKey(RegistryKey("defaulted"), true));
    registry.WriteString("", "x");
    registry.CloseKey();
    EXPECT_EQ(registry.DeleteKeyIfEmpty(RegistryKey(c.key)), c.deleted) << c.what;
    EXPECT_EQ(KeyExists(RootKey::CurrentUser, RegistryKey(c.key)),
              !c.deleted && std::string(c.key) != "missing")
        << c.what;
  }
}

TEST_F(RegistryRawValuesContract, AKeyIsLookedUpWithoutTouchingTheOpenKey) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("open"), true));
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Software\\KORVL"), true));
  for (const auto& [path, exists] : {std::pair<AnsiString, bool>{RegistryKey("open"), true},
                                     {RegistryKey("software\\korvl"), true},
                                     {RegistryKey("Software"), true},
                                     {RegistryKey("missing"), false},
                                     {RegistryKey("open\\missing"), false}}) {
    EXPECT_EQ(registry.KeyExists(path), exists) << Readable(path);
  }
  EXPECT_TRUE(registry.HasOpenKey());
  registry.WriteString("Version", "2.0");
  EXPECT_EQ(GetRawValue(RootKey::CurrentUser, RegistryKey("Software\\KORVL"), "Version")->data,
            "2.0");
  EXPECT_FALSE(KeyExists(RootKey::CurrentUser, RegistryKey("missing"))) << "nothing was made";
}

}  // namespace
}  // namespace contract
