// Payload resources of the simulated module.
#include <string>

#include "platform/Resources.h"
#include "support/SimTest.h"

namespace {

class ResourcesTest : public SimTest {};

std::string Bytes(const platform::ResourceBytes& view) {
  return std::string(reinterpret_cast<const char*>(view.data), view.size);
}

TEST_F(ResourcesTest, NameAndTypeMatchWithoutRegardToCase) {
  Machine().Module().AddResource("FileTxt5", "txtname", std::string("manifest\0bytes", 14));
  Machine().Module().AddResource("FileTxt7", "TXTNAME", "config");
  Machine().Module().AddResource("FileTxt5", "exename", "same name, other type");

  const auto manifest = platform::FindModuleResource("FILETXT5", "TxtName");
  ASSERT_TRUE(manifest);
  EXPECT_EQ(Bytes(*manifest), std::string("manifest\0bytes", 14));
  const auto config = platform::FindModuleResource("filetxt7", "txtname");
  ASSERT_TRUE(config);
  EXPECT_EQ(Bytes(*config), "config");
  const auto other = platform::FindModuleResource("FileTxt5", "EXENAME");
  ASSERT_TRUE(other);
  EXPECT_EQ(Bytes(*other), "same name, other type");
}

TEST_F(ResourcesTest, MissingNameOrTypeGivesNothing) {
  Machine().Module().AddResource("FileTxt5", "txtname", "x");
  EXPECT_FALSE(platform::FindModuleResource("FileTxt4", "txtname"));
  EXPECT_FALSE(platform::FindModuleResource("FileTxt5", "exename"));
  EXPECT_FALSE(platform::FindModuleResource("FileTxt", "txtname")) << "no prefix match";
}

TEST_F(ResourcesTest, AViewStaysValidWhenMoreResourcesAreAdded) {
  Machine().Module().AddResource("A", "T", "first");
  const auto view = platform::FindModuleResource("A", "T");
  ASSERT_TRUE(view);
  for (int i = 0; i < 100; ++i)
    Machine().Module().AddResource("R" + std::to_string(i), "T", "filler");
  EXPECT_EQ(Bytes(*view), "first");
}

}  // namespace
