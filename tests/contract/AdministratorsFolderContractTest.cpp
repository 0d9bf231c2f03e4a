// The administrators' folder contract: a folder at a fixed place that only Administrators and
// SYSTEM may change, where an unfinished run's journal waits for the next setup. One someone
// else made first is never trusted.
#include "contract/ContractEnv.h"
#include "contract/PlantedFolders.h"
#include "platform/Files.h"

namespace contract {
namespace {

using AdministratorsFolderContract = ContractTest;

TEST_F(AdministratorsFolderContract, AMissingFolderIsMadeAndTrustedFromThenOn) {
  const AnsiString folder = Scratch("安装记录");
  AnsiString reason;
  ASSERT_TRUE(platform::EnsureAdministratorsFolder(folder, &reason)) << Readable(reason);
  EXPECT_TRUE(platform::DirectoryExists(folder));
  // The program (an administrator) works inside it.
  platform::AppendToFile(folder + "\\run.journal", "1\n", 2);
  EXPECT_EQ(platform::ReadWholeFile(folder + "\\run.journal"), "1\n");
  // Found again, it is trusted: where the system keeps the owner it was given, by that owner;
  // under Wine, which reports the process's user as the owner of every folder made so, because
  // a folder made now gets that same owner and no one else may change it.
  EXPECT_TRUE(platform::EnsureAdministratorsFolder(folder, &reason)) << Readable(reason);
  EXPECT_TRUE(platform::EnsureAdministratorsFolder(folder, &reason)) << Readable(reason);
  EXPECT_TRUE(platform::DirectoryExists(folder)) << "never removed";
}

TEST_F(AdministratorsFolderContract, AFolderSomeoneElseMadeOrNoFolderAtAllIsRefused) {
  PlantFolderEveryoneMayChange(Scratch("planted"));
  platform::WriteWholeFile(Scratch("file"), "x", 1);
  for (const AnsiString& folder :
       {Scratch("planted"), Scratch("file"), Scratch("missing\\inner")}) {
    AnsiString reason;
    EXPECT_FALSE(platform::EnsureAdministratorsFolder(folder, &reason)) << Readable(folder);
    EXPECT_FALSE(reason.empty()) << Readable(folder);
  }
  EXPECT_TRUE(platform::DirectoryExists(Scratch("planted"))) << "never taken over nor removed";
  EXPECT_TRUE(platform::FileExists(Scratch("file")));
}

}  // namespace
}  // namespace contract
