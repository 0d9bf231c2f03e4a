// The stamp contract: a file's size and the time the system reports for its last write, which
// the installation record keeps to tell a file the user changed from one the setup wrote.
#include <string>

#include "contract/ContractEnv.h"
#include "contract/FileClock.h"
#include "platform/Files.h"

namespace contract {
namespace {

using FileStampContract = ContractTest;

void Write(const AnsiString& path, const std::string& bytes) {
  platform::WriteWholeFile(path, bytes.data(), bytes.size());
}

TEST_F(FileStampContract, AFileHasItsSizeAndAWriteTimeOfNow) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty.txt", ""}, {"one.txt", "x"}, {"数据.sdb", std::string(70000, '\0')}};
  for (const Case& c : cases) {
    const std::uint64_t before = NowInFileTicks();
    Write(Scratch(c.name), c.bytes);
    const auto stamp = platform::StampOf(Scratch(c.name));
    ASSERT_TRUE(stamp) << c.name;
    EXPECT_EQ(stamp->size, c.bytes.size()) << c.name;
    // Within a few seconds of the write: the file clock is the system's, ticks since 1601.
    constexpr std::uint64_t kSeconds = 10000000;
    EXPECT_GE(stamp->writeTime + 5 * kSeconds, before) << c.name;
    EXPECT_LE(stamp->writeTime, NowInFileTicks() + 5 * kSeconds) << c.name;
  }
}

TEST_F(FileStampContract, ARewriteOfTheSameSizeMovesTheWriteTimeOnAndARenameKeepsIt) {
  const AnsiString file = Scratch("UserFile\\notes.txt");
  ASSERT_TRUE(platform::ForceDirectories(Scratch("UserFile")));
  Write(file, "first");
  const auto first = platform::StampOf(file);
  LetTheFileClockMoveOn();
  Write(file, "other");
  const auto second = platform::StampOf(file);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->size, first->size);
  EXPECT_GT(second->writeTime, first->writeTime);
  LetTheFileClockMoveOn();
  ASSERT_TRUE(platform::RenameFile(file, Scratch("moved.txt")));
  EXPECT_EQ(platform::StampOf(Scratch("moved.txt")), second) << "a rename is no write";
}

TEST_F(FileStampContract, NothingStandsForAMissingFileOrAFolder) {
  ASSERT_TRUE(platform::CreateDirectory(Scratch("folder")));
  for (const AnsiString& path : {Scratch("missing.txt"), Scratch("folder"), Scratch("folder\\"),
                                 Scratch("no\\such\\file.txt")}) {
    EXPECT_FALSE(platform::StampOf(path)) << Readable(path);
  }
}

}  // namespace
}  // namespace contract
