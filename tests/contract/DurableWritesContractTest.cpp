// The durable-write contract: a journal appended to line by line, and a file replaced whole in
// one step (a new file beside it, renamed over it), so neither a killed process nor a failure
// leaves half a file or a stray one.
#include <string>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/FolderContents.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace contract {
namespace {

using DurableWritesContract = ContractTest;

// Whether call throws EFCreateError "Cannot create file "<path>". <a reason>".
template <class Call>
bool RefusedCreating(const AnsiString& path, Call call) {
  try {
    call();
  } catch (const EFCreateError& error) {
    const std::string prefix = "Cannot create file \"" + path + "\". ";
    const std::string text = error.what();
    return text.rfind(prefix, 0) == 0 && text.size() > prefix.size();
  }
  return false;
}

TEST_F(DurableWritesContract, AppendingMakesTheFileThenAddsToItsEnd) {
  const AnsiString journal = Scratch("安装.journal");
  for (const std::string line : {"1 folder D:\\Korvello\n", "2 file 主程序.exe\n", ""}) {
    platform::AppendToFile(journal, line.data(), line.size());
  }
  EXPECT_EQ(platform::ReadWholeFile(journal), "1 folder D:\\Korvello\n2 file 主程序.exe\n");
  platform::WriteWholeFile(Scratch("old.journal"), "kept\n", 5);
  platform::AppendToFile(Scratch("old.journal"), "more\n", 5);
  EXPECT_EQ(platform::ReadWholeFile(Scratch("old.journal")), "kept\nmore\n");
}

TEST_F(DurableWritesContract, AnAppenderAddsEachLineWhileTheFileStaysReadableAndDeletableAfter) {
  const AnsiString journal = Scratch("run.journal");
  platform::WriteWholeFile(journal, "header\n", 7);
  {
    platform::FileAppender appender(journal);
    appender.Append("1 folder\n", 9);
    // Another program (the next setup, after this one was killed) reads what is there so far.
    EXPECT_EQ(platform::ReadWholeFile(journal), "header\n1 folder\n");
    appender.Append("2 file\n", 7);
    EXPECT_EQ(platform::ReadWholeFile(journal), "header\n1 folder\n2 file\n");
  }
  EXPECT_TRUE(platform::DeleteFile(journal)) << "closed with its appender";
  EXPECT_TRUE(RefusedCreating(Scratch("missing\\run.journal"),
                              [this] { platform::FileAppender(Scratch("missing\\run.journal")); }));
}

TEST_F(DurableWritesContract, AReplacementTakesThePlaceOfTheFileAndLeavesNothingElse) {
  struct Case {
    const char* what;
    const char* before;  // null: no file there
    std::string after;
  };
  const Case cases[] = {
      {"a new file", nullptr, "version 1\n"},
      {"over a longer file", "a much longer record than the new one\n", "short\n"},
      {"over a shorter file", "x", std::string(100000, 'r')},
      {"emptied", "something", ""},
  };
  int number = 0;
  for (const Case& c : cases) {
    const AnsiString folder = Scratch(Format("case%d", ++number));
    ASSERT_TRUE(platform::CreateDirectory(folder));
    const AnsiString record = folder + "\\Korvello.record";
    if (c.before) platform::WriteWholeFile(record, c.before, std::string(c.before).size());
    platform::ReplaceFileAtomically(record, c.after.data(), c.after.size());
    EXPECT_EQ(platform::ReadWholeFile(record), c.after) << c.what;
    EXPECT_EQ(NamesIn(folder), std::vector<AnsiString>{"Korvello.record"}) << c.what;
  }
}

TEST_F(DurableWritesContract, AFileThatCannotBeWrittenGivesTheRuntimesErrorAndLeavesNothingBehind) {
  ASSERT_TRUE(platform::CreateDirectory(Scratch("folder")));
  platform::WriteWholeFile(Scratch("kept.txt"), "kept", 4);
  for (const AnsiString& path : {Scratch("folder"), Scratch("missing\\record.txt")}) {
    EXPECT_TRUE(RefusedCreating(path, [&path] { platform::AppendToFile(path, "x", 1); }))
        << Readable(path);
    EXPECT_TRUE(RefusedCreating(path, [&path] { platform::ReplaceFileAtomically(path, "x", 1); }))
        << Readable(path);
  }
  EXPECT_EQ(NamesIn(Scratch()), (std::vector<AnsiString>{"folder", "kept.txt"}));
  EXPECT_TRUE(NamesIn(Scratch("folder")).empty()) << "no file left inside the folder";
}

}  // namespace
}  // namespace contract
