// The registry contract: how the accessor opens and creates keys, what it reads for values that
// are missing or of another kind, and what it writes. Every key lies below the test's own key,
// which the environment removes after the test.
#include <optional>
#include <ostream>
#include <string>

#include "contract/ContractEnv.h"
#include "contract/RegistryTestValues.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "support/TestNames.h"

namespace contract {
namespace {

using platform::Registry;
using platform::RootKey;

using RegistryContract = ContractTest;

// The message of the ERegistryException that call throws; empty when it throws none.
template <class Call>
std::string RegistryErrorOf(Call call) {
  try {
    call();
  } catch (const ERegistryException& error) {
    return error.what();
  }
  return {};
}

TEST_F(RegistryContract, AMissingKeyOpensOnlyWithCreationWhichMakesItsParentsToo) {
  Registry registry;
  EXPECT_EQ(registry.GetRootKey(), RootKey::CurrentUser);
  const AnsiString key = RegistryKey("a\\b\\c");
  EXPECT_FALSE(registry.OpenKey(key, false));
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_FALSE(KeyExists(RootKey::CurrentUser, RegistryKey("a")))
      << "a failed open creates nothing";

  EXPECT_TRUE(registry.OpenKey(key, true));
  EXPECT_TRUE(registry.HasOpenKey());
  for (const char* made : {"a", "a\\b", "a\\b\\c"}) {
    EXPECT_TRUE(KeyExists(RootKey::CurrentUser, RegistryKey(made))) << made;
  }
  EXPECT_TRUE(registry.OpenKey(key, false)) << "the key is there now";
  EXPECT_TRUE(registry.OpenKey("\\" + key, false)) << "a leading backslash starts at the root";
  EXPECT_TRUE(registry.OpenKey(RegistryKey("a"), true)) << "creating an existing key opens it";
  EXPECT_TRUE(registry.OpenKey("", false)) << "an empty path is the root itself";
}

TEST_F(RegistryContract, EveryOpeningClosesTheKeyOpenBeforeEvenWhenItFails) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("first"), true));
  registry.WriteString("Value", "in first");
  EXPECT_FALSE(registry.OpenKey(RegistryKey("missing"), false));
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteString("Value", "lost"); }),
            "Failed to set data for 'Value'");
  EXPECT_EQ(registry.ReadString("Value"), "") << "nothing is read without an open key";
  EXPECT_EQ(GetRawValue(RootKey::CurrentUser, RegistryKey("first"), "Value")->data, "in first");

  ASSERT_TRUE(registry.OpenKey(RegistryKey("first"), false));
  registry.CloseKey();
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteString("", "x"); }), "Failed to set data for ''");
}

TEST_F(RegistryContract, WriteStringWritesAStringValueAndReadStringReadsItBack) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Shell\\Serial"), true));
  EXPECT_EQ(registry.ReadString("Serial"), "") << "a missing value reads empty";
  registry.WriteString("Serial", "02080308");
  EXPECT_EQ(registry.ReadString("Serial"), "02080308");
  registry.WriteString("Serial", "7");
  EXPECT_EQ(registry.ReadString("Serial"), "7") << "a write replaces the value";
  registry.WriteString("Empty", "");
  EXPECT_EQ(registry.ReadString("Empty"), "");

  const std::optional<RawValue> stored =
      GetRawValue(RootKey::CurrentUser, RegistryKey("Shell\\Serial"), "Serial");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, RawType::String);
  EXPECT_EQ(stored->data, "7");
  ASSERT_TRUE(GetRawValue(RootKey::CurrentUser, RegistryKey("Shell\\Serial"), "Empty"));
}

TEST_F(RegistryContract, TheEmptyNameIsTheKeysDefaultValue) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey(".Orv"), true));
  EXPECT_EQ(registry.ReadString(""), "") << "a new key has no default value";
  registry.WriteString("", "Software\\KORVL");
  EXPECT_EQ(registry.ReadString(""), "Software\\KORVL");
  registry.CloseKey();

  const std::optional<RawValue> stored = GetRawValue(RootKey::CurrentUser, RegistryKey(".Orv"), "");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, RawType::String);
  EXPECT_EQ(stored->data, "Software\\KORVL");
}

// What ReadString gives for a value another program stored.
struct ReadCase {
  const char* what;
  RawType type;
  std::string data;  // as stored
  bool throws;       // ERegistryException "Invalid data type for 'Value'"
  AnsiString reads;  // when it does not throw
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }

class RegistryReadContract : public ContractTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(RegistryReadContract, ReadsStringsAndRefusesOtherKinds) {
  const ReadCase& c = GetParam();
  PutRawValue(RootKey::CurrentUser, RegistryKey("kinds"), "Value", RawValue{c.type, c.data});
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("kinds"), false));
  if (c.throws) {
    EXPECT_EQ(RegistryErrorOf([&] { registry.ReadString("value"); }),
              "Invalid data type for 'value'")
        << c.what;
  } else {
    EXPECT_EQ(Readable(registry.ReadString("Value")), Readable(c.reads)) << c.what;
  }
}

const std::string kDwordSeven("\x07\0\0\0", 4);

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryReadContract,
    ::testing::Values(ReadCase{"a string", RawType::String, "D:\\Program Files\\Korvello\\", false,
                               "D:\\Program Files\\Korvello\\"},
                      ReadCase{"an expandable string unexpanded", RawType::ExpandString,
                               "%SystemRoot%\\KORV.exe", false, "%SystemRoot%\\KORV.exe"},
                      ReadCase{"a string up to its first NUL", RawType::String,
                               std::string("ab\0cd", 5), false, "ab"},
                      ReadCase{"an empty string", RawType::String, "", false, ""},
                      ReadCase{"a DWORD", RawType::DWord, kDwordSeven, true, ""},
                      ReadCase{"binary data", RawType::Binary, "02080308", true, ""},
                      ReadCase{"binary data of no bytes", RawType::Binary, "", false, ""},
                      ReadCase{"a multi string", RawType::MultiString, std::string("a\0b\0\0", 5),
                               true, ""}),
    test_names::From(&ReadCase::what));

TEST_F(RegistryContract, ANonStringValueIsReplacedByAStringWrite) {
  PutRawValue(RootKey::CurrentUser, RegistryKey(), "Serial", {RawType::DWord, kDwordSeven});
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey(), false));
  registry.WriteString("Serial", "02080308");
  EXPECT_EQ(registry.ReadString("Serial"), "02080308");
}

TEST_F(RegistryContract, WriteIntegerStoresADwordThatReplacesAString) {
  Registry registry;
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteInteger("NoModify", 1); }),
            "Failed to set data for 'NoModify'");
  ASSERT_TRUE(registry.OpenKey(RegistryKey(), true));
  registry.WriteString("EstimatedSize", "12");
  registry.WriteInteger("EstimatedSize", 0x01020304u);
  const auto stored = GetRawValue(RootKey::CurrentUser, RegistryKey(), "EstimatedSize");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, RawType::DWord);
  EXPECT_EQ(stored->data,
            std::string("\x04\x03\x02\x01", 4));  // little-endian, as Windows stores it
}

TEST_F(RegistryContract, ChineseKeyNamesValueNamesAndValuesRoundTrip) {
  // 運 ends in the byte of a backslash (DF 5C): one key name, not two.
  const AnsiString key = RegistryKey("软件\\運行");
  const AnsiString valueName = "D:\\Program Files\\运行\\KORV.exe";
  const AnsiString value = "D:\\软件\\運行\\用户授权协议.txt";
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(key, true));
  registry.WriteString(valueName, "~ DPIUNAWARE");
  registry.WriteString("路径", value);
  registry.CloseKey();

  EXPECT_TRUE(KeyExists(RootKey::CurrentUser, RegistryKey("软件")));
  EXPECT_TRUE(KeyExists(RootKey::CurrentUser, key));
  const std::optional<RawValue> stored = GetRawValue(RootKey::CurrentUser, key, "路径");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(Readable(stored->data), Readable(value));

  ASSERT_TRUE(registry.OpenKey(key, false));
  EXPECT_EQ(registry.ReadString(valueName), "~ DPIUNAWARE");
  EXPECT_EQ(Readable(registry.ReadString("路径")), Readable(value));
}

TEST_F(RegistryContract, KeyAndValueNamesIgnoreCase) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Software\\KORVL\\Shell\\PathName"), true));
  registry.WriteString("Path", "D:\\Korvello\\");
  ASSERT_TRUE(registry.OpenKey(RegistryKey("software\\korvl\\SHELL\\pathname"), false));
  EXPECT_EQ(registry.ReadString("PATH"), "D:\\Korvello\\");
  registry.WriteString("path", "E:\\Korvello\\");
  EXPECT_EQ(registry.ReadString("Path"), "E:\\Korvello\\") << "one value, whatever the case";
}

// Pairs of names that differ only in case, beyond ASCII: full-width Latin, Greek, Cyrillic.
TEST_F(RegistryContract, CaseIsIgnoredForTheLettersOfOtherScriptsToo) {
  const char* const pairs[][2] = {{"ＫＯＲＶ", "ｋｏｒｖ"}, {"ΑΒΓΩ", "αβγω"}, {"АБВЯЁ", "абвяё"}};
  for (const auto& pair : pairs) {
    Registry registry;
    ASSERT_TRUE(registry.OpenKey(RegistryKey(pair[0]), true));
    registry.WriteString(pair[0], "upper");
    EXPECT_TRUE(registry.OpenKey(RegistryKey(pair[1]), false)) << Readable(pair[1]);
    EXPECT_EQ(registry.ReadString(pair[1]), "upper") << Readable(pair[1]);
  }
}

TEST_F(RegistryContract, CharactersWhoseTrailBytesDifferOnlyLikeAsciiCaseAreDifferentNames) {
  // B0 41 and B0 61 are two characters; their trail bytes are the codes of "A" and "a".
  const AnsiString upperTrail = "\xB0\x41";
  const AnsiString lowerTrail = "\xB0\x61";
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey(upperTrail), true));
  registry.WriteString(upperTrail, "first");
  EXPECT_EQ(registry.ReadString(lowerTrail), "");
  EXPECT_FALSE(registry.OpenKey(RegistryKey(lowerTrail), false));
}

TEST_F(RegistryContract, TheRootsHoldSeparateKeysAndChangingTheRootClosesTheKey) {
  Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Shell"), true));
  registry.WriteString("", "current user");
  registry.SetRootKey(RootKey::ClassesRoot);
  EXPECT_EQ(registry.GetRootKey(), RootKey::ClassesRoot);
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_FALSE(registry.OpenKey(RegistryKey("Shell"), false));
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Shell"), true));
  EXPECT_EQ(registry.ReadString(""), "");
  registry.WriteString("", "classes");

  EXPECT_EQ(GetRawValue(RootKey::ClassesRoot, RegistryKey("Shell"), "")->data, "classes");
  EXPECT_EQ(GetRawValue(RootKey::CurrentUser, RegistryKey("Shell"), "")->data, "current user");
  registry.SetRootKey(RootKey::CurrentUser);
  EXPECT_FALSE(registry.HasOpenKey());
  ASSERT_TRUE(registry.OpenKey(RegistryKey("Shell"), false));
  EXPECT_EQ(registry.ReadString(""), "current user");
}

}  // namespace
}  // namespace contract
