// The simulated machine's registry: what the accessor leaves there for tests to inspect, values
// a test arranges, and a root the program may not write to.
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Registry.h"
#include "support/SimTest.h"

namespace {

using platform::Registry;
using platform::RootKey;

class RegistryTest : public SimTest {};

TEST_F(RegistryTest, TheAccessorsWritesAreStringValuesUnderTheNamesFirstGiven) {
  Registry registry;
  ASSERT_TRUE(
      registry.OpenKey("software\\microsoft\\windows\\currentversion\\uninstall\\Korvello", true));
  registry.WriteString("displayname", "Korvello");
  registry.WriteString("Publisher", "Lumenford");
  registry.WriteString("DISPLAYNAME", "Korvello 2");
  registry.CloseKey();

  const AnsiString key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KORVELLO";
  EXPECT_TRUE(Machine().Registry().KeyExists(RootKey::CurrentUser, key));
  EXPECT_FALSE(Machine().Registry().KeyExists(RootKey::ClassesRoot, key));
  EXPECT_EQ(Machine().Registry().ValueNames(RootKey::CurrentUser, key),
            (std::vector<AnsiString>{"displayname", "Publisher"}));
  const auto value = Machine().Registry().GetValue(RootKey::CurrentUser, key, "DisplayName");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, sim::RegistryType::String);
  EXPECT_EQ(value->data, "Korvello 2");
  EXPECT_FALSE(Machine().Registry().GetValue(RootKey::CurrentUser, key, "Version").has_value());
}

TEST_F(RegistryTest, ArrangedValuesAreReadByTheAccessorAndTheRootAlwaysExists) {
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\Serial", "Serial",
                                {sim::RegistryType::String, "02080308"});
  Machine().Registry().SetValue(RootKey::CurrentUser, "Software\\KORVL\\Shell\\PathName", "Path",
                                sim::DWordValue(0x01020304));
  EXPECT_TRUE(Machine().Registry().KeyExists(RootKey::CurrentUser, "Software\\KORVL"));
  EXPECT_TRUE(Machine().Registry().KeyExists(RootKey::ClassesRoot, ""));
  EXPECT_TRUE(Machine().Registry().KeyExists(RootKey::CurrentUser, "\\Software\\\\KORVL\\"))
      << "empty parts of a path are skipped";
  EXPECT_EQ(sim::DWordValue(0x01020304).data, std::string("\x04\x03\x02\x01", 4));

  Registry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\KORVL\\Shell\\Serial", false));
  EXPECT_EQ(registry.ReadString("Serial"), "02080308");
  ASSERT_TRUE(registry.OpenKey("Software\\KORVL\\Shell\\PathName", false));
  try {
    registry.ReadString("Path");
    ADD_FAILURE() << "a DWORD read as a string";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(std::string(error.what()), "Invalid data type for 'Path'");
  }
  EXPECT_TRUE(registry.OpenKey("", false)) << "the root itself";
}

TEST_F(RegistryTest, ARootThatRefusesWritesCannotBeOpenedWithFullAccessSoWritesFail) {
  Machine().Registry().SetValue(RootKey::ClassesRoot, ".Orv", "", {sim::RegistryType::String, "x"});
  Machine().Registry().SetWritesRefused(RootKey::ClassesRoot, true);
  Registry registry;
  registry.SetRootKey(RootKey::ClassesRoot);
  EXPECT_FALSE(registry.OpenKey(".Orv", true)) << "an existing key";
  EXPECT_FALSE(registry.OpenKey("Software\\KORVL", true)) << "a new key";
  EXPECT_FALSE(Machine().Registry().KeyExists(RootKey::ClassesRoot, "Software"));
  try {
    registry.WriteString("", "Software\\KORVL");
    ADD_FAILURE() << "a write without an open key";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(std::string(error.what()), "Failed to set data for ''");
  }
  EXPECT_EQ(Machine().Registry().GetValue(RootKey::ClassesRoot, ".Orv", "")->data, "x");

  registry.SetRootKey(RootKey::CurrentUser);
  EXPECT_TRUE(registry.OpenKey("Software\\KORVL\\Shell\\PathName", true))
      << "the other root is the user's own";
  Machine().Registry().SetWritesRefused(RootKey::ClassesRoot, false);
  registry.SetRootKey(RootKey::ClassesRoot);
  EXPECT_TRUE(registry.OpenKey(".Orv", false));
}

}  // namespace
