// The files contract: what the folder and file operations answer, and the runtime's error texts
// when a file cannot be created or opened. The system's reason in those texts is worded by the
// system (and its language), so only its presence and its shape are part of the contract.
#include <functional>
#include <ostream>
#include <string>

#include "contract/ContractEnv.h"
#include "contract/FileMarks.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/TestNames.h"

namespace contract {
namespace {

using FilesContract = ContractTest;

void Write(const AnsiString& path, const std::string& bytes) {
  platform::WriteWholeFile(path, bytes.data(), bytes.size());
}

// A folder name whose second character ends in the byte of a backslash (運 is DF 5C).
const AnsiString kTrailByteFolder = "運行";

TEST_F(FilesContract, WrittenBytesReadBackExactlyAndARewriteReplacesThem) {
  const AnsiString file = Scratch("用户授权协议.txt");
  static const char kBytes[] = "line one\r\nline\0two\n\xFF\x5C end";
  const std::string bytes(kBytes, sizeof kBytes - 1);
  Write(file, bytes);
  EXPECT_EQ(platform::ReadWholeFile(file), bytes);
  Write(file, "short");
  EXPECT_EQ(platform::ReadWholeFile(file), "short");
  Write(file, "");
  EXPECT_EQ(platform::ReadWholeFile(file), "");
  EXPECT_TRUE(platform::FileExists(file));
}

TEST_F(FilesContract, ANewFileIsWrittenOnlyWhereNothingStands) {
  const AnsiString file = Scratch("orvlSetup.ini");
  const std::string bytes = "[Form]\r\nCaption=新\r\n";
  platform::WriteNewFile(file, bytes.data(), bytes.size());
  EXPECT_EQ(platform::ReadWholeFile(file), bytes);
  for (const AnsiString& taken : {file, Scratch()}) {
    bool refused = false;
    try {
      platform::WriteNewFile(taken, "x", 1);
    } catch (const EFCreateError& error) {
      refused = std::string(error.what()).rfind("Cannot create file \"" + taken + "\". ", 0) == 0;
    }
    EXPECT_TRUE(refused) << taken;
  }
  EXPECT_EQ(platform::ReadWholeFile(file), bytes) << "the file standing there is left alone";
}

TEST_F(FilesContract, PrivateFoldersAreNewEachTimeAndGoWhenEmpty) {
  const auto first = platform::CreatePrivateFolder(Scratch().substr(0, Scratch().size() - 1));
  const auto second = platform::CreatePrivateFolder(Scratch().substr(0, Scratch().size() - 1));
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(first->rfind(Scratch() + "KorvSetup-", 0), 0u) << *first;
  EXPECT_TRUE(platform::DirectoryExists(*first));
  Write(*first + "\\staged.txt", "x");
  EXPECT_FALSE(platform::RemoveDirectory(*first)) << "a folder with a file in it stays";
  ASSERT_TRUE(platform::DeleteFile(*first + "\\staged.txt"));
  EXPECT_TRUE(platform::RemoveDirectory(*first));
  EXPECT_FALSE(platform::DirectoryExists(*first));
  AnsiString reason;
  EXPECT_FALSE(platform::CreatePrivateFolder(Scratch("missing"), &reason));
  EXPECT_FALSE(reason.empty()) << "the system's reason";
}

// What one call answers in a scratch folder that holds the file "file.txt" and the folder
// "folder".
struct QueryCase {
  const char* what;
  std::function<bool(const AnsiString& scratch)> call;
  bool expected;
};

void PrintTo(const QueryCase& c, std::ostream* out) { *out << c.what; }

class FileQueryContract : public ContractTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(FileQueryContract, AnswersLikeTheSystem) {
  Write(Scratch("file.txt"), "x");
  ASSERT_TRUE(platform::CreateDirectory(Scratch("folder")));
  EXPECT_EQ(GetParam().call(Scratch()), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileQueryContract,
    ::testing::Values(
        QueryCase{"FileExists of a file",
                  [](const AnsiString& s) { return platform::FileExists(s + "file.txt"); }, true},
        QueryCase{"FileExists ignores case",
                  [](const AnsiString& s) { return platform::FileExists(s + "FILE.TXT"); }, true},
        QueryCase{"FileExists of a folder",
                  [](const AnsiString& s) { return platform::FileExists(s + "folder"); }, false},
        QueryCase{"FileExists of nothing",
                  [](const AnsiString& s) { return platform::FileExists(s + "none.txt"); }, false},
        QueryCase{"DirectoryExists of a folder",
                  [](const AnsiString& s) { return platform::DirectoryExists(s + "folder"); },
                  true},
        QueryCase{"DirectoryExists with a final backslash",
                  [](const AnsiString& s) { return platform::DirectoryExists(s + "folder\\"); },
                  true},
        QueryCase{"DirectoryExists ignores case",
                  [](const AnsiString& s) { return platform::DirectoryExists(s + "FOLDER"); },
                  true},
        QueryCase{"DirectoryExists of a file",
                  [](const AnsiString& s) { return platform::DirectoryExists(s + "file.txt"); },
                  false},
        QueryCase{"DirectoryExists of nothing",
                  [](const AnsiString& s) { return platform::DirectoryExists(s + "none"); }, false},
        QueryCase{"CreateDirectory of a new folder",
                  [](const AnsiString& s) { return platform::CreateDirectory(s + "new"); }, true},
        QueryCase{"CreateDirectory of an existing folder",
                  [](const AnsiString& s) { return platform::CreateDirectory(s + "folder"); },
                  false},
        QueryCase{"CreateDirectory where a file is",
                  [](const AnsiString& s) { return platform::CreateDirectory(s + "file.txt"); },
                  false},
        QueryCase{"CreateDirectory below a missing folder",
                  [](const AnsiString& s) { return platform::CreateDirectory(s + "a\\b"); }, false},
        QueryCase{"ForceDirectories of nested missing folders",
                  [](const AnsiString& s) {
                    return platform::ForceDirectories(s + "a\\b\\c") &&
                           platform::DirectoryExists(s + "a\\b\\c");
                  },
                  true},
        QueryCase{"ForceDirectories with a final backslash",
                  [](const AnsiString& s) {
                    return platform::ForceDirectories(s + "a\\b\\") &&
                           platform::DirectoryExists(s + "a\\b");
                  },
                  true},
        QueryCase{"ForceDirectories through a name with a 0x5C trail byte",
                  [](const AnsiString& s) {
                    return platform::ForceDirectories(s + kTrailByteFolder + "\\sub") &&
                           platform::DirectoryExists(s + kTrailByteFolder) &&
                           platform::DirectoryExists(s + kTrailByteFolder + "\\sub");
                  },
                  true},
        QueryCase{"ForceDirectories of an existing folder",
                  [](const AnsiString& s) { return platform::ForceDirectories(s + "folder"); },
                  true},
        QueryCase{"ForceDirectories below a file",
                  [](const AnsiString& s) { return platform::ForceDirectories(s + "file.txt\\a"); },
                  false},
        QueryCase{"DeleteFile of a file removes it",
                  [](const AnsiString& s) {
                    return platform::DeleteFile(s + "file.txt") &&
                           !platform::FileExists(s + "file.txt");
                  },
                  true},
        QueryCase{"DeleteFile of a missing file",
                  [](const AnsiString& s) { return platform::DeleteFile(s + "none.txt"); }, false},
        QueryCase{"DeleteFile of a folder",
                  [](const AnsiString& s) {
                    return platform::DeleteFile(s + "folder") ||
                           !platform::DirectoryExists(s + "folder");
                  },
                  false}),
    test_names::From(&QueryCase::what));

// A failed create or open: which exception, for which path.
struct ErrorCase {
  const char* what;
  bool creating;  // WriteWholeFile, else ReadWholeFile
  AnsiString relativePath;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.what; }

class FileErrorContract : public ContractTest, public ::testing::WithParamInterface<ErrorCase> {};

// The message is "<runtime text> <reason>": the runtime's text with the path, then the system's
// reason without a final full stop or line break.
void ExpectRuntimeText(const std::string& message, const std::string& prefix) {
  ASSERT_EQ(Readable(message.substr(0, prefix.size())), Readable(prefix)) << Readable(message);
  const std::string reason = message.substr(prefix.size());
  EXPECT_FALSE(reason.empty()) << "no reason in " << Readable(message);
  if (reason.empty()) return;
  const char first = reason.front();
  const char last = reason.back();
  EXPECT_NE(first, ' ') << Readable(message);
  EXPECT_TRUE(last != '.' && last != ' ' && last != '\r' && last != '\n') << Readable(message);
}

TEST_P(FileErrorContract, ThrowsTheRuntimeTextWithTheSystemsReason) {
  const ErrorCase& c = GetParam();
  Write(Scratch("file.txt"), "x");
  ASSERT_TRUE(platform::CreateDirectory(Scratch("folder")));
  const AnsiString path = Scratch(c.relativePath);
  if (c.creating) {
    try {
      Write(path, "bytes");
      ADD_FAILURE() << c.what << ": no EFCreateError";
    } catch (const EFCreateError& error) {
      ExpectRuntimeText(error.what(), "Cannot create file \"" + path + "\". ");
    }
  } else {
    try {
      platform::ReadWholeFile(path);
      ADD_FAILURE() << c.what << ": no EFOpenError";
    } catch (const EFOpenError& error) {
      ExpectRuntimeText(error.what(), "Cannot open file \"" + path + "\". ");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileErrorContract,
    ::testing::Values(ErrorCase{"creating in a missing folder", true, "missing\\new.txt"},
                      ErrorCase{"creating where a folder is", true, "folder"},
                      ErrorCase{"creating with a CP936 name in a missing folder", true,
                                "运行\\用户授权协议.txt"},
                      ErrorCase{"opening a missing file", false, "none.txt"},
                      ErrorCase{"opening in a missing folder", false, "missing\\none.txt"},
                      ErrorCase{"opening a folder", false, "folder"}),
    test_names::From(&ErrorCase::what));

// A file the user or another program marked read-only, hidden or system: a whole write does not
// replace it where the system keeps to the rule (FileMarks.h), and leaves its bytes.
// MakeReplaceable takes the marks off; the write then replaces it.
struct MarkCase {
  const char* what;
  FileMarks marks;
};

void PrintTo(const MarkCase& c, std::ostream* out) { *out << c.what; }

class MarkedFileContract : public ContractTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(MarkedFileContract, IsReplacedOnlyOnceItsMarksAreTakenOff) {
  const MarkCase& c = GetParam();
  const AnsiString file = Scratch("用户授权协议.txt");
  Write(file, "earlier");
  MarkFile(file, c.marks);
  ASSERT_EQ(MarksOf(file), c.marks) << "the marks read back as set";

  if (SystemRefusesReplacingMarkedFiles()) {
    try {
      Write(file, "new");
      ADD_FAILURE() << "a marked file was replaced";
    } catch (const EFCreateError& error) {
      ExpectRuntimeText(error.what(), "Cannot create file \"" + file + "\". ");
    }
    EXPECT_EQ(platform::ReadWholeFile(file), "earlier") << "refused whole: the bytes stay";
  }
  platform::MakeReplaceable(file);
  EXPECT_EQ(MarksOf(file), FileMarks{});
  Write(file, "new");
  EXPECT_EQ(platform::ReadWholeFile(file), "new");
  EXPECT_TRUE(platform::DeleteFile(file));
}

INSTANTIATE_TEST_SUITE_P(Table, MarkedFileContract,
                         ::testing::Values(MarkCase{"read-only", {true, false, false}},
                                           MarkCase{"hidden", {false, true, false}},
                                           MarkCase{"system", {false, false, true}},
                                           MarkCase{"hidden and system", {false, true, true}},
                                           MarkCase{"read-only and hidden", {true, true, false}}),
                         test_names::From(&MarkCase::what));

TEST_F(FilesContract, AReadOnlyFileCannotBeDeletedUntilMadeReplaceable) {
  const AnsiString file = Scratch("KORV.exe");
  Write(file, "earlier");
  MarkFile(file, {true, true, false});
  EXPECT_FALSE(platform::DeleteFile(file));
  EXPECT_TRUE(platform::FileExists(file));
  platform::MakeReplaceable(file);
  EXPECT_TRUE(platform::DeleteFile(file));
  EXPECT_FALSE(platform::FileExists(file));
}

TEST_F(FilesContract, MakingReplaceableLeavesWhatIsNoMarkedFileAsItIs) {
  const AnsiString plain = Scratch("plain.txt");
  Write(plain, "plain");
  platform::MakeReplaceable(plain);
  EXPECT_EQ(MarksOf(plain), FileMarks{});
  EXPECT_EQ(platform::ReadWholeFile(plain), "plain");
  platform::MakeReplaceable(Scratch("missing.txt"));
  EXPECT_FALSE(platform::FileExists(Scratch("missing.txt")));
  platform::MakeReplaceable(Scratch());
  EXPECT_TRUE(platform::DirectoryExists(Scratch()));
}

TEST_F(FilesContract, TheWindowsFolderIsAnExistingFolderWithoutAFinalBackslash) {
  const AnsiString windows = platform::WindowsDirectory();
  ASSERT_GE(windows.size(), 3u) << Readable(windows);
  EXPECT_EQ(windows[1], ':') << Readable(windows);
  EXPECT_NE(windows.back(), '\\') << Readable(windows);
  EXPECT_TRUE(platform::DirectoryExists(windows)) << Readable(windows);
}

}  // namespace
}  // namespace contract
