// The link contract: a path that leads through a folder link (which its maker may point
// anywhere) is told from a plain one, so the elevated setup writes and removes nothing there.
#include "contract/ContractEnv.h"
#include "contract/FolderLinks.h"
#include "platform/Files.h"

namespace contract {
namespace {

using FolderLinksContract = ContractTest;

TEST_F(FolderLinksContract, APathThroughALinkIsToldFromAPlainOne) {
  const std::optional<FolderLink> made = AFolderLink(Scratch());
  ASSERT_TRUE(made) << "a folder link, made by the system or by the contract's runner";
  ASSERT_TRUE(platform::ForceDirectories(Scratch("软件\\Image")));
  platform::WriteWholeFile(Scratch("软件\\Image\\Move1.BMP"), "B", 1);
  platform::WriteWholeFile(made->target + "\\Move2.BMP", "B", 1);
  const struct {
    AnsiString path;
    bool throughLink;
  } cases[] = {
      {Scratch("软件\\Image\\Move1.BMP"), false},
      {Scratch("软件\\Image"), false},
      {Scratch("missing\\x.txt"), false},
      {made->target + "\\Move2.BMP", false},
      {made->link, true},
      {made->link + "\\Move2.BMP", true},
      {made->link + "\\missing\\x", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::PassesThroughLink(c.path), c.throughLink) << Readable(c.path);
  }
}

}  // namespace
}  // namespace contract
