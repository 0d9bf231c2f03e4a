// The question before the run when the payload does not fit the install drive: asked only when
// the setup carries its sums and the drive's free space is known and too small; Yes goes on (and
// the full disk then ends the run, which is undone), No goes back to the folder page with
// nothing written.
#include <cstdint>
#include <string>

#include "install/InstallFixture.h"
#include "support/TestNames.h"

namespace {

constexpr const char* kQuestion = "目标磁盘的可用空间不足，安装可能无法完成。\r\r仍要继续安装吗?";
constexpr const char* kTitle = "磁盘空间不足";
constexpr unsigned kYesNoWarning = 0x34;
constexpr const char* kFolderTitle = "选择安装文件夹";

class FreeSpaceFixture : public InstallFixture {
 protected:
  // The bytes the small product writes, as its correct sums give them.
  static std::uint64_t ProductTotal() {
    return PayloadSums::Parse(PayloadSumsOf(SmallProduct()))->TotalBytes();
  }
  void SetFreeBytes(std::uint64_t free) { Machine().Files().SetDriveSpace('D', 1ull << 30, free); }
  void ScriptNextOnConfirmationAnswered(int answer) {
    User().Click("BtnNext").Click("BtnNext").Click("BtnNext");
    User().Click("BtnNext").ExpectMessageBox(sim::Owner::Ref(FormSchedule, "FormSchedule"), kTitle,
                                             kQuestion, kYesNoWarning, answer);
  }
  void ExpectProductInstalled() {
    for (const Entry& entry : SmallProduct()) {
      EXPECT_EQ(Installed(entry.path), entry.bytes) << entry.path;
    }
  }
};

enum class Sums { Correct, Missing, Damaged };

struct SpaceCase {
  const char* what;
  bool spaceKnown;
  std::int64_t freeBeyondTotal;  // the drive's free bytes less the payload's total
  Sums sums;
  bool asked;  // the question comes and is answered Yes
};

class FreeSpaceQuestionTest : public FreeSpaceFixture,
                              public ::testing::WithParamInterface<SpaceCase> {
 protected:
  FreeSpaceQuestionTest() {
    if (GetParam().sums == Sums::Missing) LeaveOutPayloadSums();
    // The right first line and entries, but no total.
    if (GetParam().sums == Sums::Damaged) {
      const std::string good = PayloadSumsOf(SmallProduct());
      UsePayloadSums(good.substr(0, good.find("total ")));
    }
  }
};

TEST_P(FreeSpaceQuestionTest, AsksOnlyWhenThePayloadDoesNotFit) {
  const SpaceCase& c = GetParam();
  if (c.spaceKnown) {
    SetFreeBytes(
        static_cast<std::uint64_t>(static_cast<std::int64_t>(ProductTotal()) + c.freeBeyondTotal));
  } else {
    Machine().Files().SetDriveSpaceUnknown('D');
  }
  const bool fits = !c.spaceKnown || c.freeBeyondTotal >= 0;
  RunWizard(
      [&] {
        if (c.asked) {
          ScriptNextOnConfirmationAnswered(gui::idYes);
        } else {
          ScriptStartInstallation();
        }
        if (fits) {
          ScriptWaitForFinishPage();
          User().Click("BtnNext");
          return;
        }
        // Gone on without the room: the disk fills up, the run is undone and reported.
        User().ExpectErrorReport(
            "Cannot create file \"D:\\Program Files\\Korvl280\\SdbFile\\Image\\Move1.BMP\". "
            "There is not enough space on the disk");
        User().WaitUntil([&] { return Progress() && !Progress()->RunActive(); }, "the run stopped");
        User().Click("btncel").ExpectMessageBox(sim::Owner::Named("Formsec"), "退出安装",
                                                "安装程序进行中,确定要退出安装吗?", 0x1, gui::idOk);
      },
      false);
  if (fits) {
    ExpectProductInstalled();
  } else {
    EXPECT_FALSE(Exists("D:\\Program Files")) << "nothing left of the run";
  }
  EXPECT_TRUE(App().Terminated());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FreeSpaceQuestionTest,
    ::testing::Values(SpaceCase{"space to spare", true, 1 << 20, Sums::Correct, false},
                      // The run also writes its record of what it installed.
                      SpaceCase{"the payload and its record", true, 4096, Sums::Correct, false},
                      SpaceCase{"a byte too little answered yes", true, -1, Sums::Correct, true},
                      SpaceCase{"space unknown", false, 0, Sums::Correct, false},
                      SpaceCase{"too little without sums", true, -1, Sums::Missing, false},
                      SpaceCase{"too little with damaged sums", true, -1, Sums::Damaged, false}),
    test_names::From(&SpaceCase::what));

class FreeSpaceDeclinedTest : public FreeSpaceFixture {};

TEST_F(FreeSpaceDeclinedTest, NoGoesBackToTheFolderPageWithNothingWrittenAndAsksAgainLater) {
  ASSERT_EQ(ProductTotal(), 19u + 18u + 6u + 3000u) << "the small product's four entries";
  SetFreeBytes(ProductTotal() - 1);
  RunWizard(
      [&] {
        ScriptNextOnConfirmationAnswered(gui::idNo);
        Check([&] {
          EXPECT_EQ(Page(), 2);
          EXPECT_EQ(Utf8(Wizard().Label4->Caption()), Utf8(kFolderTitle));
          EXPECT_FALSE(Wizard().Label5->Visible());
          EXPECT_EQ(Utf8(Wizard().Edit_Path->Text()), Utf8(kDefaultFolder)) << "the folder stays";
          EXPECT_FALSE(Wizard().InstallStarted);
          EXPECT_EQ(Progress(), nullptr) << "no run started";
          EXPECT_TRUE(Wizard().Visible());
          EXPECT_FALSE(Exists("D:\\Program Files")) << "nothing written";
        });
        // Room made meanwhile: the way forward installs without a second question.
        Check([&] { SetFreeBytes(ProductTotal() + 4096); }, "room made");
        User().Click("BtnNext").Click("BtnNext");
        ScriptWaitForFinishPage();
        User().Click("BtnNext");
      },
      false);
  ExpectProductInstalled();
}

TEST_F(FreeSpaceDeclinedTest, DecliningTwiceStaysOnTheFolderPageAndExitLeavesNothing) {
  SetFreeBytes(0);
  RunWizard([&] {
    ScriptNextOnConfirmationAnswered(gui::idNo);
    User().Click("BtnNext").Click("BtnNext").ExpectMessageBox(
        sim::Owner::Ref(FormSchedule, "FormSchedule"), kTitle, kQuestion, kYesNoWarning, gui::idNo);
    Check([&] { EXPECT_EQ(Page(), 2); });
  });
  EXPECT_FALSE(Exists("D:\\Program Files"));
  EXPECT_FALSE(Machine().Registry().KeyExists(
      platform::RootKey::CurrentUser,
      "software\\microsoft\\windows\\currentversion\\uninstall\\Korvello"));
}

}  // namespace
