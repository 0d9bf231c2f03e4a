// The DDE conversation component on the simulated machine: the manual-mode sequence the program
// uses to make its Program Manager group, what happens when Program Manager is not running or
// not there at all, and the simulated Program Manager's reading of the commands it is sent.
#include <ostream>
#include <utility>
#include <vector>

#include "platform/gui/DdeClientConv.h"
#include "platform/gui/Form.h"
#include "platform/sim/SimProgramManager.h"
#include "support/SimTest.h"
#include "support/TestNames.h"

namespace {

using gui::DdeClientConv;
using gui::DdeConnectMode;
using sim::ProgramManagerState;
using Names = std::vector<AnsiString>;

class DdeClientConvTest : public SimTest {
 protected:
  // The component as the wizard carries it.
  DdeClientConv& Conv() {
    if (!conv_) {
      gui::Form& wizard = App().Make<gui::Form>("FormSchedule");
      conv_ = &wizard.Make<DdeClientConv>("DdeClientConv1");
    }
    return *conv_;
  }
  DdeClientConv& ManualConv() {
    Conv().SetConnectMode(DdeConnectMode::Manual);
    return Conv();
  }

  using SimTest::Utf8;
  static std::vector<std::string> Utf8(const Names& texts) {
    std::vector<std::string> readable;
    for (const AnsiString& text : texts) readable.push_back(SimTest::Utf8(text));
    return readable;
  }

 private:
  DdeClientConv* conv_ = nullptr;
};

TEST_F(DdeClientConvTest, TheManualSequenceSendsTheGroupCommandsInOrderAsCodePage936Bytes) {
  Machine().Files().MapDrive('D', Root() / "disk-d");
  const AnsiString folder = "D:\\Program Files\\科沃\\";
  for (const char* file : {"KORV.exe", "Uninstall.exe", "help.chm", "用户授权协议.txt"}) {
    WriteFile(folder + file, "x");
  }
  const Names commands = {
      "[creategroup(Korvello,Korvello)]",
      "[additem(" + folder + "KORV.exe,Korvello)]",
      "[additem(" + folder + "Uninstall.exe,卸载Korvello)]",
      "[additem(" + folder + "help.chm,使用说明)]",
      "[additem(" + folder + "用户授权协议.txt,用户授权协议)]",
  };

  DdeClientConv& conv = ManualConv();
  EXPECT_TRUE(conv.SetLink("ProgMan", "ProgMan"));
  EXPECT_FALSE(conv.Connected());
  EXPECT_TRUE(Machine().Dde().Conversations().empty()) << "setting the link does not connect";
  ASSERT_TRUE(conv.OpenLink());
  for (const AnsiString& command : commands) EXPECT_TRUE(conv.ExecuteMacro(command));
  conv.CloseLink();
  EXPECT_FALSE(conv.Connected());

  const auto conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), 1u);
  EXPECT_EQ(conversations[0].service, "ProgMan");
  EXPECT_EQ(conversations[0].topic, "ProgMan");
  EXPECT_FALSE(conversations[0].open);
  EXPECT_EQ(Utf8(conversations[0].Commands()), Utf8(commands));
  for (const auto& execution : conversations[0].executions) {
    EXPECT_FALSE(execution.waited) << Utf8(execution.command);
    EXPECT_TRUE(execution.carriedOut) << Utf8(execution.command);
  }
  // 卸载 in code page 936, byte for byte.
  EXPECT_EQ(conversations[0].executions[2].command,
            "[additem(" + folder + "Uninstall.exe,\xD0\xB6\xD4\xD8Korvello)]");
  EXPECT_EQ(Utf8(Machine().Dde().ProgramGroups()), Utf8(Names{"Korvello"}));
  EXPECT_EQ(Utf8(*Machine().Dde().ProgramGroupItems("Korvello")),
            Utf8(Names{"Korvello", "卸载Korvello", "使用说明", "用户授权协议"}));
  EXPECT_TRUE(Machine().Dde().StartedPrograms().empty()) << "Program Manager was running";
}

struct StartCase {
  const char* what;
  ProgramManagerState state;
  bool opens;
  ProgramManagerState stateAfter;
  Names started;  // the command lines the component asked to start
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.what; }

class DdeServerStartTest : public DdeClientConvTest,
                           public ::testing::WithParamInterface<StartCase> {};

TEST_P(DdeServerStartTest, OpenLinkStartsProgramManagerWhenNobodyAnswers) {
  const StartCase& c = GetParam();
  Machine().Dde().SetProgramManager(c.state);
  DdeClientConv& conv = ManualConv();
  conv.SetLink("ProgMan", "ProgMan");
  EXPECT_EQ(conv.OpenLink(), c.opens);
  EXPECT_EQ(conv.Connected(), c.opens);
  EXPECT_EQ(Machine().Dde().StartedPrograms(), c.started);
  EXPECT_EQ(Machine().Dde().GetProgramManager(), c.stateAfter);

  EXPECT_EQ(conv.ExecuteMacro("[CreateGroup(Korvello)]"), c.opens)
      << "a command is sent only in a conversation";
  conv.CloseLink();
  const auto conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), c.opens ? 1u : 0u);
  if (c.opens) {
    EXPECT_EQ(conversations[0].Commands(), Names{"[CreateGroup(Korvello)]"});
    EXPECT_FALSE(conversations[0].open);
  }
  EXPECT_EQ(Machine().Dde().ProgramGroups(), c.opens ? Names{"Korvello"} : Names{});
}

INSTANTIATE_TEST_SUITE_P(Table, DdeServerStartTest,
                         ::testing::Values(StartCase{"running Program Manager answers at once",
                                                     ProgramManagerState::Running,
                                                     true,
                                                     ProgramManagerState::Running,
                                                     {}},
                                           StartCase{
                                               "Program Manager is started by service and topic",
                                               ProgramManagerState::Startable,
                                               true,
                                               ProgramManagerState::Running,
                                               {"ProgMan ProgMan"}},
                                           StartCase{"no Program Manager at all",
                                                     ProgramManagerState::Missing,
                                                     false,
                                                     ProgramManagerState::Missing,
                                                     {"ProgMan ProgMan"}}),
                         test_names::From(&StartCase::what));

TEST_F(DdeClientConvTest, OnlyTheProgramNamedByTheServiceIsStarted) {
  Machine().Dde().SetProgramManager(ProgramManagerState::Startable);
  DdeClientConv& conv = ManualConv();
  conv.SetLink("KorvNobody", "ProgMan");
  EXPECT_FALSE(conv.OpenLink());
  conv.SetLink("ProgMan", "KorvTopic");
  EXPECT_FALSE(conv.OpenLink()) << "Program Manager starts, but does not serve that topic";
  EXPECT_EQ(Machine().Dde().StartedPrograms(), (Names{"KorvNobody ProgMan", "ProgMan KorvTopic"}));
  EXPECT_EQ(Machine().Dde().GetProgramManager(), ProgramManagerState::Running);
  EXPECT_TRUE(Machine().Dde().Conversations().empty());
}

TEST_F(DdeClientConvTest, AnEmptyServiceOrTopicNeverConnectsNorStartsAnything) {
  DdeClientConv& conv = ManualConv();
  const std::pair<AnsiString, AnsiString> links[] = {{"", "ProgMan"}, {"ProgMan", ""}, {"", ""}};
  for (const auto& [service, topic] : links) {
    conv.SetLink(service, topic);
    EXPECT_FALSE(conv.OpenLink()) << "\"" << service << "\" \"" << topic << "\"";
  }
  EXPECT_TRUE(Machine().Dde().StartedPrograms().empty());
  EXPECT_TRUE(Machine().Dde().Conversations().empty());
}

TEST_F(DdeClientConvTest, WaitingTellsWhetherProgramManagerCarriedTheCommandOut) {
  DdeClientConv& conv = ManualConv();
  conv.SetLink("ProgMan", "ProgMan");
  ASSERT_TRUE(conv.OpenLink());
  EXPECT_TRUE(conv.ExecuteMacro("[CreateGroup(Korvello)]", true));
  EXPECT_FALSE(conv.ExecuteMacro("[KorvNoSuchCommand()]", true));
  EXPECT_TRUE(conv.ExecuteMacro("[KorvNoSuchCommand()]", false))
      << "without waiting, handing the command over is all that is known";

  const auto executions = Machine().Dde().Conversations().at(0).executions;
  ASSERT_EQ(executions.size(), 3u);
  EXPECT_TRUE(executions[0].waited && executions[0].carriedOut);
  EXPECT_TRUE(executions[1].waited && !executions[1].carriedOut);
  EXPECT_TRUE(!executions[2].waited && !executions[2].carriedOut);
}

// A late answer would be taken for the next command's: a command left unanswered ends the
// conversation, and nothing more is sent in it.
TEST_F(DdeClientConvTest, ACommandLeftUnansweredClosesTheLink) {
  Machine().Dde().SetProgramManager(sim::ProgramManagerState::Hung);
  DdeClientConv& conv = ManualConv();
  conv.SetLink("ProgMan", "ProgMan");
  ASSERT_TRUE(conv.OpenLink());
  EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(Korvello)]", true));
  EXPECT_FALSE(conv.Connected());
  EXPECT_FALSE(conv.ExecuteMacro("[ShowGroup(Korvello,1)]", true));
  EXPECT_FALSE(conv.ExecuteMacro("[ShowGroup(Korvello,1)]", false));

  const auto conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), 1u);
  EXPECT_FALSE(conversations[0].open);
  EXPECT_EQ(conversations[0].Commands(), std::vector<AnsiString>{"[CreateGroup(Korvello)]"});
}

TEST_F(DdeClientConvTest, SettingTheLinkClosesTheOpenOneAndOnlyAutomaticModeReconnects) {
  DdeClientConv& conv = Conv();
  EXPECT_EQ(conv.ConnectMode(), DdeConnectMode::Automatic) << "the component's default";
  EXPECT_TRUE(conv.SetLink("ProgMan", "ProgMan"));
  EXPECT_TRUE(conv.Connected()) << "automatic mode opens the link at once";
  EXPECT_TRUE(conv.SetLink("progman", "progman"));
  auto conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), 2u);
  EXPECT_FALSE(conversations[0].open);
  EXPECT_TRUE(conversations[1].open);
  EXPECT_EQ(conversations[1].service, "progman");

  conv.SetConnectMode(DdeConnectMode::Manual);
  EXPECT_TRUE(conv.SetLink("ProgMan", "ProgMan"));
  EXPECT_FALSE(conv.Connected());
  EXPECT_EQ(conv.DdeService(), "ProgMan");
  EXPECT_EQ(conv.DdeTopic(), "ProgMan");
  conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), 2u) << "manual mode does not reconnect";
  EXPECT_FALSE(conversations[1].open);
}

TEST_F(DdeClientConvTest, OpeningAnOpenLinkKeepsItsConversationAndClosingTwiceIsHarmless) {
  DdeClientConv& conv = ManualConv();
  conv.CloseLink();
  conv.SetLink("ProgMan", "ProgMan");
  ASSERT_TRUE(conv.OpenLink());
  ASSERT_TRUE(conv.OpenLink());
  EXPECT_EQ(Machine().Dde().Conversations().size(), 1u);
  conv.CloseLink();
  conv.CloseLink();
  EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(Korvello)]"));
  ASSERT_TRUE(conv.OpenLink()) << "a closed link opens again, in a new conversation";
  const auto conversations = Machine().Dde().Conversations();
  ASSERT_EQ(conversations.size(), 2u);
  EXPECT_TRUE(conversations[0].Commands().empty());
}

TEST_F(DdeClientConvTest, DestroyingTheComponentClosesItsConversation) {
  gui::Form& wizard = App().Make<gui::Form>("FormSchedule");
  auto& conv = wizard.Make<DdeClientConv>("DdeClientConv1");
  conv.SetLink("ProgMan", "ProgMan");
  ASSERT_TRUE(Machine().Dde().Conversations().at(0).open);
  wizard.DestroyOwned(conv);
  EXPECT_FALSE(Machine().Dde().Conversations().at(0).open);
}

// ---- how the simulated Program Manager reads its commands

struct CommandCase {
  const char* what;
  AnsiString text;  // one execute transaction
  bool carriedOut;
  Names groups;      // afterwards
  AnsiString group;  // whose items are checked, when not empty
  Names items;
};

void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.what; }

class SimProgramManagerTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(SimProgramManagerTest, CarriesOutTheCommandsItKnowsAsWinesProgramManagerReadsThem) {
  const CommandCase& c = GetParam();
  sim::SimProgramManager programManager;
  const auto exists = [](const AnsiString& path) {
    return path == "C:\\Korvello\\KORV.exe" || path == "C:\\Korvello\\说明.txt";
  };
  EXPECT_EQ(programManager.Execute(c.text, exists), c.carriedOut);
  EXPECT_EQ(programManager.Groups(), c.groups);
  if (!c.group.empty()) {
    ASSERT_TRUE(programManager.Items(c.group).has_value());
    EXPECT_EQ(*programManager.Items(c.group), c.items);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimProgramManagerTest,
    ::testing::Values(
        CommandCase{"several commands in one transaction",
                    "[CreateGroup(Korvello)][AddItem(C:\\Korvello\\KORV.exe,Korvello)]",
                    true,
                    {"Korvello"},
                    "Korvello",
                    {"Korvello"}},
        CommandCase{"spaces around the parts are left out",
                    "  [ createGROUP ( Korv ello , 1 ) ]  [ AddItem ( C:\\Korvello\\KORV.exe ) ]",
                    true,
                    {"Korv ello"},
                    "korv ELLO",
                    {"KORV"}},
        CommandCase{"a quoted argument is taken as written",
                    "[CreateGroup(\" Korv, (ello) \")]",
                    true,
                    {" Korv, (ello) "},
                    "",
                    {}},
        CommandCase{"trail bytes like brackets belong to their characters",
                    "[CreateGroup(竇礫)][AddItem(C:\\Korvello\\说明.txt,竇)]",
                    true,
                    {"竇礫"},
                    "竇礫",
                    {"竇"}},
        CommandCase{"a program is found without its exe",
                    "[CreateGroup(K)][AddItem(C:\\Korvello\\KORV)]",
                    true,
                    {"K"},
                    "K",
                    {"KORV"}},
        CommandCase{"an item of a missing file is refused",
                    "[CreateGroup(K)][AddItem(C:\\Korvello\\help.chm,Help)]",
                    false,
                    {"K"},
                    "K",
                    {}},
        CommandCase{"items go to the group last made or shown",
                    "[CreateGroup(A)][CreateGroup(B)][ShowGroup(a,1)]"
                    "[AddItem(C:\\Korvello\\KORV.exe,Run)][AddItem(C:\\Korvello\\KORV.exe,run)]",
                    true,
                    {"A", "B"},
                    "A",
                    {"Run"}},
        CommandCase{"an item needs its group",
                    "[ShowGroup(A,1)][AddItem(C:\\Korvello\\KORV.exe)]",
                    false,
                    {},
                    "",
                    {}},
        CommandCase{"DeleteItem removes an item of the last group",
                    "[CreateGroup(A)][AddItem(C:\\Korvello\\KORV.exe)][DeleteItem(korv)]",
                    true,
                    {"A"},
                    "A",
                    {}},
        CommandCase{"DeleteGroup removes the group whatever its case",
                    "[CreateGroup(Korvello)][DeleteGroup(KORVELLO)]",
                    true,
                    {},
                    "",
                    {}},
        CommandCase{
            "a missing group cannot be deleted", "[DeleteGroup(Korvello)]", false, {}, "", {}},
        CommandCase{"ShowGroup needs two arguments", "[ShowGroup(Korvello)]", false, {}, "", {}},
        CommandCase{"commands before a refused one stay done",
                    "[CreateGroup(A)][KorvNoSuchCommand][CreateGroup(B)]",
                    false,
                    {"A"},
                    "",
                    {}},
        CommandCase{"text outside brackets is refused", "CreateGroup(A)", false, {}, "", {}},
        CommandCase{"an unclosed bracket is refused", "[CreateGroup(A)", false, {}, "", {}},
        CommandCase{"an unclosed parenthesis is refused", "[CreateGroup(A]", false, {}, "", {}},
        CommandCase{"an unclosed quote is refused", "[CreateGroup(\"A)]", false, {}, "", {}}),
    test_names::From(&CommandCase::what));

}  // namespace
