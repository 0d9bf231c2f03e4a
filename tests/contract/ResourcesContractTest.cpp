// The resources contract: the payload is found by string name and string type, both without
// regard to case, and a name the module does not carry gives nothing.
#include <string>

#include "contract/ContractEnv.h"
#include "platform/Resources.h"

namespace contract {
namespace {

using ResourcesContract = ContractTest;

TEST_F(ResourcesContract, NameAndTypeMatchWithoutRegardToCase) {
  for (const auto& [name, type] : {std::pair<AnsiString, AnsiString>{kNoteName, kNoteType},
                                   {"contractnote", "contracttext"},
                                   {"ContractNote", "ContractText"}}) {
    const auto found = platform::FindModuleResource(name, type);
    ASSERT_TRUE(found.has_value()) << name << " of type " << type;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(found->data), found->size), kNoteBytes)
        << name << " of type " << type;
  }
}

TEST_F(ResourcesContract, AMissingNameOrTypeGivesNothing) {
  EXPECT_FALSE(platform::FindModuleResource("NOSUCHNAME", kNoteType).has_value());
  EXPECT_FALSE(platform::FindModuleResource(kNoteName, "NOSUCHTYPE").has_value());
  EXPECT_FALSE(platform::FindModuleResource("CONTRACTNOT", kNoteType).has_value())
      << "a prefix of the name is not the name";
}

}  // namespace
}  // namespace contract
