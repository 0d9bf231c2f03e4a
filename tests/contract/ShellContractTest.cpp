// The shell contract that can run without a user: ShellExecute of something that is not there.
// (The folder browser needs a user at a real dialog; the simulated one has unit tests.)
#include <ostream>

#include "contract/ContractEnv.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "support/TestNames.h"

namespace contract {
namespace {

constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
constexpr std::intptr_t kFileNotFound = 2;

struct MissingCase {
  const char* what;
  AnsiString operation;
  AnsiString file;  // below the scratch folder when fileInScratch, else a bare name
  bool fileInScratch;
  const char* directory;  // the folder given, below the scratch folder; nullptr for none
};

void PrintTo(const MissingCase& c, std::ostream* out) { *out << c.what; }

class ShellExecuteContract : public ContractTest,
                             public ::testing::WithParamInterface<MissingCase> {};

TEST_P(ShellExecuteContract, AFileThatIsNotThereIsNotFound) {
  const MissingCase& c = GetParam();
  const AnsiString file = c.fileInScratch ? Scratch(c.file) : c.file;
  const AnsiString directory = c.directory ? Scratch(c.directory) : AnsiString();
  EXPECT_EQ(platform::ShellExecute(nullptr, c.operation, file, "", directory, kShowNormal),
            kFileNotFound)
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellExecuteContract,
    ::testing::Values(
        MissingCase{"open a missing program", "open", "KORV.exe", true, nullptr},
        MissingCase{"open a missing document with a Chinese name", "open", "用户授权协议.txt", true,
                    nullptr},
        MissingCase{"the default verb on a missing program", "", "KORV.exe", true, nullptr},
        MissingCase{"open a program in a missing folder", "open", "missing\\KORV.exe", true,
                    nullptr},
        MissingCase{"open a missing name in the given folder", "open", "KORV.exe", false, ""},
        MissingCase{"open a name in a missing given folder", "open", "KORV.exe", false,
                    "missing\\"}),
    test_names::From(&MissingCase::what));

using SharedFoldersContract = ContractTest;

TEST_F(SharedFoldersContract, TheCommonApplicationDataFolderIsThereWithoutAFinalBackslash) {
  const AnsiString folder = platform::CommonAppDataFolder();
  ASSERT_GE(folder.size(), 4u) << Readable(folder);
  EXPECT_EQ(folder.substr(1, 2), ":\\") << Readable(folder);
  EXPECT_NE(folder.back(), '\\') << Readable(folder);
  EXPECT_TRUE(platform::DirectoryExists(folder)) << Readable(folder);
}

}  // namespace
}  // namespace contract
