// The rename contract: a file moved on its volume, never copied and never over another file, so
// a file set aside can always be put back and nothing is overwritten on the way.
#include <string>

#include "contract/ContractEnv.h"
#include "platform/Files.h"

namespace contract {
namespace {

using RenameContract = ContractTest;

TEST_F(RenameContract, AFileMovesOnlyToAPlaceThatIsFree) {
  struct Case {
    const char* what;
    const char* from;
    const char* to;
    bool moved;
  };
  // Each case's folder holds a.txt ("A"), b.txt ("B") and the folders aside\ and sub\.
  const Case cases[] = {
      {"a new name in the same folder", "a.txt", "c.txt", true},
      {"into another folder", "a.txt", "aside\\a.txt", true},
      {"a Chinese name", "a.txt", "aside\\旧文件.txt", true},
      {"a folder, the same way", "sub", "aside\\sub", true},
      {"over another file", "a.txt", "b.txt", false},
      {"over a folder", "a.txt", "aside", false},
      {"a file that is not there", "missing.txt", "c.txt", false},
      {"into a folder that is not there", "a.txt", "nowhere\\a.txt", false},
  };
  int number = 0;
  for (const Case& c : cases) {
    const AnsiString folder = Scratch(Format("case%d\\", ++number));
    ASSERT_TRUE(platform::CreateDirectory(folder));
    const auto at = [&folder](const char* relative) { return folder + relative; };
    platform::WriteWholeFile(at("a.txt"), "A", 1);
    platform::WriteWholeFile(at("b.txt"), "B", 1);
    ASSERT_TRUE(platform::CreateDirectory(at("aside")) && platform::CreateDirectory(at("sub")));
    AnsiString reason;
    EXPECT_EQ(platform::RenameFile(at(c.from), at(c.to), &reason), c.moved) << c.what;
    if (c.moved) {
      EXPECT_FALSE(platform::FileExists(at(c.from)) || platform::DirectoryExists(at(c.from)))
          << c.what;
      if (c.from == std::string("a.txt")) {
        EXPECT_EQ(platform::ReadWholeFile(at(c.to)), "A") << c.what;
      }
      EXPECT_EQ(reason, "") << c.what;
    } else {
      EXPECT_FALSE(reason.empty()) << c.what << ": the system's reason";
      EXPECT_EQ(platform::ReadWholeFile(at("a.txt")), "A") << c.what;
      EXPECT_EQ(platform::ReadWholeFile(at("b.txt")), "B") << c.what;
    }
  }
}

}  // namespace
}  // namespace contract
