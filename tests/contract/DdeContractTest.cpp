// The DDE contract: the conversation component opens a link to Program Manager in manual mode,
// and the group commands the program sends take effect, waited for or not, under an ASCII name
// and a Chinese one; a service nobody serves gives no link. The effect is read from outside the
// conversation (contract/ProgramGroups.h): on Windows the group's folder in the start menu.
// Whether Program Manager takes Chinese text depends on the system (Wine's refuses it outside
// code page 936); what holds everywhere is that its answer tells the truth, that ASCII is taken,
// and that nothing is ever made under another name.
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

bool IsAscii(const AnsiString& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

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

  const AnsiString& Group() const { return GetParam().group; }
  AnsiString CreateGroup() const { return "[CreateGroup(" + Group() + ")]"; }
  AnsiString ShowGroup() const { return "[ShowGroup(" + Group() + ",1)]"; }
  AnsiString AddItem() const { return "[AddItem(" + itemPath_ + "," + GetParam().title + ")]"; }
  AnsiString AddMissingItem() const {
    return "[AddItem(" + Scratch("KorvContractNoSuchFile.exe") + ",Korv Missing)]";
  }
  AnsiString DeleteGroup() const { return "[DeleteGroup(" + Group() + ")]"; }

  // The group is there under its own name exactly when Program Manager made it, and never
  // under another; it holds the item exactly when that was added too.
  void ExpectGroup(bool made, bool added) {
    EXPECT_EQ(NewGroups(before_), made ? Names{Group()} : Names{})
        << Readable(Group()) << ": made under its own name or not at all";
    using Items = std::optional<Names>;
    EXPECT_EQ(ProgramGroupItems(Group()),
              made ? Items(added ? Names{GetParam().title} : Names{}) : Items());
  }

  AnsiString itemPath_;
  Names before_;
};

TEST_P(DdeGroupContract, WaitedCommandsMakeShowFillAndDeleteTheGroup) {
  ProgramManagerLink conv;
  ASSERT_TRUE(conv->OpenLink());
  const bool made = conv->ExecuteMacro(CreateGroup(), true);
  ASSERT_TRUE(conv->Connected()) << "Program Manager answered in time";
  EXPECT_TRUE(made || !IsAscii(CreateGroup())) << "a group of an ASCII name is made";
  EXPECT_EQ(conv->ExecuteMacro(ShowGroup(), true), made) << "it shows what it made";
  const bool added = conv->ExecuteMacro(AddItem(), true);
  EXPECT_TRUE(added || !made || !IsAscii(AddItem())) << "an item of ASCII text is added";
  EXPECT_FALSE(conv->ExecuteMacro(AddMissingItem(), true)) << "no item for a missing file";
  ExpectGroup(made, added);

  ASSERT_TRUE(CloseProgramManagerWindows()) << "the windows showing the group did not close";
  EXPECT_EQ(conv->ExecuteMacro(DeleteGroup(), true), made);
  EXPECT_EQ(ProgramGroups(), before_);
  EXPECT_FALSE(conv->ExecuteMacro(DeleteGroup(), true)) << "a missing group cannot be deleted";
  EXPECT_TRUE(conv->Connected());
}

// Commands not waited for, the link closed right after them: they are carried out before the
// closing of the link returns, since the server reads them before it reads the link's end.
TEST_P(DdeGroupContract, CommandsNotWaitedForAreCarriedOutBeforeTheLinkIsClosed) {
  {
    ProgramManagerLink conv;
    ASSERT_TRUE(conv->OpenLink());
    EXPECT_TRUE(conv->ExecuteMacro(CreateGroup()));
    EXPECT_TRUE(conv->ExecuteMacro(AddItem()));
    conv->CloseLink();
  }
  const bool made = ProgramGroupItems(Group()).has_value();
  EXPECT_TRUE(made || !IsAscii(CreateGroup())) << "a group of an ASCII name is made";
  const bool added = made && !ProgramGroupItems(Group())->empty();
  EXPECT_EQ(added, made) << "the item's text is of the same kind as the group's";
  ExpectGroup(made, added);
}

INSTANTIATE_TEST_SUITE_P(Table, DdeGroupContract,
                         ::testing::Values(GroupCase{"an ASCII group", "KorvContract", true,
                                                     "KorvContractNotes.txt", "Korv Notes"},
                                           GroupCase{"a Chinese group", "科沃契约组", false,
                                                     "用户授权协议.txt", "用户授权协议"}),
                         test_names::From(&GroupCase::what));

}  // namespace
}  // namespace contract
