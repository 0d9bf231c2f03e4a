// The system's critical-error boxes ("There is no disk in the drive") are held back around every
// query of a drive or path the user may name, for the calling thread, and the error modes are
// given back as they were; the folder browser holds them back for the whole process, since the
// shell looks at drives from threads of its own.
#include "contract/ContractEnv.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/win32/CriticalErrorBoxes.h"

namespace contract {
namespace {

using platform::win32::CriticalErrorBoxesSuppressed;

class CriticalErrorBoxes : public ContractTest {
 protected:
  // Each test starts from a thread that keeps only the fault box back, and a process that keeps
  // nothing back, to see that other choices stay.
  void SetUp() override {
    ASSERT_TRUE(::SetThreadErrorMode(SEM_NOGPFAULTERRORBOX, &previousThreadMode_));
    previousProcessMode_ = ::SetErrorMode(0);
  }
  void TearDown() override {
    ::SetThreadErrorMode(previousThreadMode_, nullptr);
    ::SetErrorMode(previousProcessMode_);
  }

 private:
  DWORD previousThreadMode_ = 0;
  UINT previousProcessMode_ = 0;
};

TEST_F(CriticalErrorBoxes, HeldBackForTheThreadWhileTheGuardLivesNestedOrNot) {
  {
    const CriticalErrorBoxesSuppressed outer;
    EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS});
    EXPECT_EQ(::GetErrorMode() & SEM_FAILCRITICALERRORS, 0u) << "the process is left alone";
    {
      const CriticalErrorBoxesSuppressed inner;
      EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS});
    }
    EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS})
        << "the inner guard gives back what the outer one set";
  }
  EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX});
}

TEST_F(CriticalErrorBoxes, HeldBackForTheProcessWhereAskedAndRestoredAfter) {
  {
    const CriticalErrorBoxesSuppressed quiet(CriticalErrorBoxesSuppressed::Scope::Process);
    EXPECT_NE(::GetErrorMode() & SEM_FAILCRITICALERRORS, 0u);
    EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX}) << "the thread is left alone";
  }
  EXPECT_EQ(::GetErrorMode() & SEM_FAILCRITICALERRORS, 0u);
}

TEST_F(CriticalErrorBoxes, DriveAndPathQueriesGiveTheModesBackAsTheyWere) {
  for (char letter = 'Z'; letter >= 'A'; --letter) {
    // A drive that is there and ones that are not: every query answers, none changes the modes.
    (void)platform::QueryDiskSpace(AnsiString(1, letter) + ":\\");
    (void)platform::DirectoryExists(AnsiString(1, letter) + ":\\Program Files");
    (void)platform::FileExists(AnsiString(1, letter) + ":\\KORV.exe");
  }
  EXPECT_TRUE(platform::QueryDiskSpace(Scratch().substr(0, 3)).has_value());
  EXPECT_TRUE(platform::DirectoryExists(Scratch()));
  EXPECT_EQ(::GetThreadErrorMode(), DWORD{SEM_NOGPFAULTERRORBOX});
  EXPECT_EQ(::GetErrorMode() & SEM_FAILCRITICALERRORS, 0u);
}

}  // namespace
}  // namespace contract
