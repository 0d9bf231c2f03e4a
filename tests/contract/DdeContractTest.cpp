// The DDE contract: the conversation component opens a link to Program Manager in manual mode,
// and the group commands the program sends take effect, waited for or not, under an ASCII name
// and a Chinese one; a service nobody serves gives no link. The effect is read from outside the
// conversation (contract/ProgramGroups.h): on Windows the group's folder in the start menu.
#include <algorithm>
#include <ostream>
#include <vector>

#include "contract/ContractEnv.h"
#include "contract/ProgramGroups.h"
#include "platform/Files.h"
#include "platform/gui/DdeClientConv.h"
#include "support/TestNames.h"

namespace contract {
namespace {

using gui::DdeClientConv;
using gui::DdeConnectMode;
using Names = std::vector<AnsiString>;

// A component set up as the program sets up its own: manual mode, linked to Program Manager.
class ProgramManagerLink {
 public:
  ProgramManagerLink() {
    conv_.SetConnectMode(DdeConnectMode::Manual);
    conv_.SetLink("ProgMan", "ProgMan");
  }
  DdeClientConv* operator->() { return &conv_; }

 private:
  DdeClientConv conv_{nullptr, "DdeClientConv1"};
};

// The groups now that were not there before.
Names NewGroups(const Names& before) {
  Names added;
  for (const AnsiString& group : ProgramGroups()) {
    if (std::find(before.begin(), before.end(), group) == before.end()) added.push_back(group);
  }
  return added;
}

using DdeContract = ContractTest;

TEST_F(DdeContract, ManualModeConnectsOnlyWhenTheLinkIsOpened) {
  DdeClientConv conv(nullptr, "DdeClientConv1");
  conv.SetConnectMode(DdeConnectMode::Manual);
  EXPECT_TRUE(conv.SetLink("ProgMan", "ProgMan"));
  EXPECT_FALSE(conv.Connected());
  EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(KorvContract)]"))
      << "nothing is sent before the link is opened";

  ASSERT_TRUE(conv.OpenLink());
  EXPECT_TRUE(conv.Connected());
  EXPECT_TRUE(conv.OpenLink()) << "an open link stays open";
  EXPECT_FALSE(conv.ExecuteMacro("[KorvContractNoSuchCommand(1)]", true))
      << "Program Manager refuses a command it does not know";
  EXPECT_FALSE(conv.ExecuteMacro("CreateGroup(KorvContract)", true))
      << "a command outside brackets is no command";

  conv.CloseLink();
  EXPECT_FALSE(conv.Connected());
  EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(KorvContract)]", true))
      << "nothing is sent once the link is closed";
  EXPECT_EQ(ProgramGroupItems("KorvContract"), std::nullopt);

  EXPECT_TRUE(conv.SetLink("progman", "PROGMAN"));
  EXPECT_TRUE(conv.OpenLink()) << "service and topic are names without regard to case";
}

TEST_F(DdeContract, AServiceNobodyServesGivesNoLink) {
  DdeClientConv conv(nullptr, "DdeClientConv1");
  conv.SetConnectMode(DdeConnectMode::Manual);
  // No program of that name exists to be started either.
  conv.SetLink("KorvContractNobody", "KorvContractNobody");
  EXPECT_FALSE(conv.OpenLink());
  EXPECT_FALSE(conv.Connected());
  EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(KorvContract)]"));
  conv.CloseLink();

  conv.SetConnectMode(DdeConnectMode::Automatic);
  EXPECT_FALSE(conv.SetLink("KorvContractNobody", "KorvContractNobody"));
  EXPECT_TRUE(conv.SetLink("ProgMan", "ProgMan")) << "automatic mode opens the link at once";
  EXPECT_TRUE(conv.Connected());
}

struct GroupCase {
  const char* what;
  AnsiString group;
  bool itemInWindowsFolder;  // the item's file lies there, otherwise in the scratch folder
  AnsiString itemFile;
  AnsiString title;
};

void PrintTo(const GroupCase& c, std::ostream* out) { *out << c.what; }

class DdeGroupContract : public ContractTest, public ::testing::WithParamInterface<GroupCase> {
 protected:
  void SetUp() override {
    const GroupCase& c = GetParam();
    itemPath_ = c.itemInWindowsFolder ? platform::WindowsDirectory() + "\\" + c.itemFile
                                      : Scratch(c.itemFile);
    platform::WriteWholeFile(itemPath_, "notes", 5);
    before_ = ProgramGroups();
  }
  void TearDown() override {
    RemoveProgramGroup(GetParam().group);
    platform::DeleteFile(itemPath_);
  }

  AnsiString CreateGroup() const { return "[CreateGroup(" + GetParam().group + ")]"; }
  AnsiString ShowGroup() const { return "[ShowGroup(" + GetParam().group + ",1)]"; }
  AnsiString AddItem() const { return "[AddItem(" + itemPath_ + "," + GetParam().title + ")]"; }
  AnsiString DeleteGroup() const { return "[DeleteGroup(" + GetParam().group + ")]"; }

  // The group is there under its own name exactly when Program Manager takes its name, and
  // never under another; it holds the item when the item's command is taken too.
  void ExpectGroupAsCommandsWereTaken() {
    const GroupCase& c = GetParam();
    const bool made = ProgramManagerTakes(CreateGroup());
    EXPECT_EQ(NewGroups(before_), made ? Names{c.group} : Names{})
        << Readable(c.group) << ": made under its own name or not at all";
    if (made) {
      const bool added = ProgramManagerTakes(AddItem());
      EXPECT_EQ(ProgramGroupItems(c.group), added ? Names{c.title} : Names{});
    }
  }

  AnsiString itemPath_;
  Names before_;
};

TEST_P(DdeGroupContract, WaitedCommandsMakeShowFillAndDeleteTheGroup) {
  ProgramManagerLink conv;
  ASSERT_TRUE(conv->OpenLink());
  const bool made = ProgramManagerTakes(CreateGroup());
  EXPECT_EQ(conv->ExecuteMacro(CreateGroup(), true), made);
  EXPECT_EQ(conv->ExecuteMacro(ShowGroup(), true), ProgramManagerTakes(ShowGroup()));
  EXPECT_EQ(conv->ExecuteMacro(AddItem(), true), made && ProgramManagerTakes(AddItem()));
  ExpectGroupAsCommandsWereTaken();

  AwaitProgramManagerWindows();
  EXPECT_EQ(conv->ExecuteMacro(DeleteGroup(), true), made);
  EXPECT_EQ(ProgramGroups(), before_);
  EXPECT_FALSE(conv->ExecuteMacro(DeleteGroup(), true)) << "a missing group cannot be deleted";
}

// As the program makes its group: commands not waited for, the link closed right after them.
TEST_P(DdeGroupContract, CommandsNotWaitedForAreCarriedOutThoughTheLinkClosesRightAfter) {
  {
    ProgramManagerLink conv;
    ASSERT_TRUE(conv->OpenLink());
    EXPECT_TRUE(conv->ExecuteMacro(CreateGroup()));
    EXPECT_TRUE(conv->ExecuteMacro(AddItem()));
    conv->CloseLink();
  }
  ExpectGroupAsCommandsWereTaken();
}

INSTANTIATE_TEST_SUITE_P(Table, DdeGroupContract,
                         ::testing::Values(GroupCase{"an ASCII group", "KorvContract", true,
                                                     "KorvContractNotes.txt", "Korv Notes"},
                                           GroupCase{"a Chinese group", "科沃契约组", false,
                                                     "用户授权协议.txt", "用户授权协议"}),
                         test_names::From(&GroupCase::what));

}  // namespace
}  // namespace contract
