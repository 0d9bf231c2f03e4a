// Named mutexes, the process snapshot, top-level windows and the clock of the simulated machine.
#include <string>

#include "platform/Process.h"
#include "support/SimTest.h"

namespace {

class ProcessTest : public SimTest {};

const AnsiString kGuard = "KOrvlSetup_27805";

TEST_F(ProcessTest, FirstMutexIsCreatedAndOwned) {
  auto mutex = platform::NamedMutex::Create(kGuard);
  EXPECT_EQ(mutex.CreationError(), 0u);
  EXPECT_TRUE(Machine().Processes().MutexOwnedHere(kGuard));
  EXPECT_EQ(Machine().Processes().MutexHandles(kGuard), 1);
}

TEST_F(ProcessTest, MutexHeldByAnotherProcessAlreadyExistsAndReleaseLeavesItAlone) {
  Machine().Processes().HoldMutexElsewhere(kGuard);
  auto mutex = platform::NamedMutex::Create(kGuard);
  EXPECT_EQ(mutex.CreationError(), platform::kErrorAlreadyExists);
  mutex.Release();
  EXPECT_FALSE(Machine().Processes().MutexOwnedHere(kGuard));
  auto again = platform::NamedMutex::Create(kGuard);
  EXPECT_EQ(again.CreationError(), platform::kErrorAlreadyExists) << "the other still holds it";
}

TEST_F(ProcessTest, SecondHandleFindsTheNameTakenAndCannotReleaseTheFirstOwner) {
  auto first = platform::NamedMutex::Create(kGuard);
  {
    auto second = platform::NamedMutex::Create(kGuard);
    EXPECT_EQ(second.CreationError(), platform::kErrorAlreadyExists);
    second.Release();
    EXPECT_TRUE(Machine().Processes().MutexOwnedHere(kGuard)) << "the first handle keeps ownership";
    EXPECT_EQ(Machine().Processes().MutexHandles(kGuard), 2);
  }
  EXPECT_EQ(Machine().Processes().MutexHandles(kGuard), 1);
  EXPECT_EQ(platform::NamedMutex::Create("korvlsetup_27805").CreationError(), 0u)
      << "mutex names are case-sensitive";
}

TEST_F(ProcessTest, ClosingTheLastHandleFreesTheName) {
  { auto gone = platform::NamedMutex::Create(kGuard); }
  EXPECT_EQ(Machine().Processes().MutexHandles(kGuard), 0);
  auto fresh = platform::NamedMutex::Create(kGuard);
  EXPECT_EQ(fresh.CreationError(), 0u);
  auto moved = std::move(fresh);
  EXPECT_EQ(moved.CreationError(), 0u);
  EXPECT_EQ(Machine().Processes().MutexHandles(kGuard), 1) << "moving does not open another handle";
}

TEST_F(ProcessTest, SnapshotListsRunningProcessesUntilUnavailable) {
  const auto explorer = Machine().Processes().AddProcess("explorer.exe");
  const auto korv = Machine().Processes().AddProcess("C:\\Korvl\\KORV.EXE");
  (void)explorer;
  auto names = platform::SnapshotProcessNames();
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<AnsiString>{"explorer.exe", "C:\\Korvl\\KORV.EXE"}));

  platform::TerminateProcessById(korv, 4);
  names = platform::SnapshotProcessNames();
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, std::vector<AnsiString>{"explorer.exe"}) << "ended processes are not listed";

  Machine().Processes().SetSnapshotAvailable(false);
  EXPECT_FALSE(platform::SnapshotProcessNames());
}

TEST_F(ProcessTest, WindowsAreWalkedInZOrderAndGoWithTheirProcess) {
  const auto setup = Machine().Processes().AddProcess("setup.exe");
  const auto korv = Machine().Processes().AddProcess("korv.exe");
  const auto other = Machine().Processes().AddWindow("Shell_TrayWnd", "", setup);
  const auto first = Machine().Processes().AddWindow("TKorv30", "korvlSetup", setup);
  const auto second = Machine().Processes().AddWindow("TKorv30", "Korvello", korv);

  EXPECT_EQ(platform::FindTopLevelWindow("tkorv30"), first) << "class names ignore case";
  EXPECT_EQ(platform::FindTopLevelWindow("NoSuchClass"), 0u);
  EXPECT_EQ(platform::NextWindowInZOrder(other), first);
  EXPECT_EQ(platform::NextWindowInZOrder(first), second);
  EXPECT_EQ(platform::NextWindowInZOrder(second), 0u);
  EXPECT_EQ(platform::WindowTitle(second), "Korvello");
  EXPECT_TRUE(platform::WindowHasClass(second, "TKorv30"));
  EXPECT_FALSE(platform::WindowHasClass(second, "tkorv30")) << "compared exactly";
  EXPECT_FALSE(platform::WindowHasClass(other, "TKorv30"));
  EXPECT_EQ(platform::WindowProcessId(second), korv);

  platform::TerminateProcessById(korv, 4);
  platform::TerminateProcessById(korv, 9);  // already ended: no change
  platform::TerminateProcessById(4242, 4);  // no such process
  const auto ended = Machine().Processes().Process(korv);
  ASSERT_TRUE(ended);
  EXPECT_FALSE(ended->running);
  EXPECT_EQ(ended->exitCode, 4u);
  EXPECT_TRUE(Machine().Processes().Process(setup)->running);
  EXPECT_EQ(platform::NextWindowInZOrder(first), 0u) << "the ended process's window is gone";
  EXPECT_EQ(platform::WindowTitle(second), "");
  EXPECT_EQ(platform::WindowProcessId(second), 0u);
  EXPECT_EQ(Machine().Processes().TerminateCalls().size(), 3u);
}

TEST_F(ProcessTest, WindowTitleKeepsAtMost254BytesAndNoHalfCharacter) {
  const AnsiString longAscii(300, 'a');
  const AnsiString chinese = AnsiString(253, 'a') + "中文";
  const auto a = Machine().Processes().AddWindow("C", longAscii, 1);
  const auto b = Machine().Processes().AddWindow("C", chinese, 1);
  EXPECT_EQ(platform::WindowTitle(a), AnsiString(254, 'a'));
  EXPECT_EQ(platform::WindowTitle(b), AnsiString(253, 'a'));
}

TEST_F(ProcessTest, SleepAdvancesTheVirtualClockWithoutWaiting) {
  const auto start = std::chrono::steady_clock::now();
  platform::Sleep(50);
  platform::Sleep(60000);
  EXPECT_EQ(Machine().Clock().Now(), 60050u);
  EXPECT_EQ(Machine().Clock().SleptMilliseconds(), 60050u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
