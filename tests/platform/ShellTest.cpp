// The simulated shell: the folder browser answers as the test scripted and records each
// opening; ShellExecute is logged and finds only what is there.
#include <stdexcept>
#include <string>

#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/gui/Form.h"
#include "support/SimTest.h"

namespace {

class ShellTest : public SimTest {
 protected:
  gui::Form& Wizard() { return App().Make<gui::Form>("FormSchedule"); }
};

TEST_F(ShellTest, TheBrowserGivesTheScriptedChoicesInTurnAsTheShellWritesPaths) {
  Machine().Files().MapDrive('D', Root() / "disk-d");
  platform::ForceDirectories("D:\\Apps");
  Machine().Shell().ScriptFolderChoice("D:\\Apps\\");
  Machine().Shell().ScriptFolderChoice("D:");
  Machine().Shell().ScriptFolderBrowserCancel();
  Machine().Shell().ScriptFolderChoice("D:\\");
  EXPECT_EQ(Machine().Shell().PendingFolderBrowserAnswers(), 4);

  EXPECT_EQ(platform::BrowseForFolder(nullptr, "选择安装路径", ""), AnsiString("D:\\Apps"));
  EXPECT_EQ(platform::BrowseForFolder(nullptr, "选择安装路径", ""), AnsiString("D:\\"));
  EXPECT_EQ(platform::BrowseForFolder(nullptr, "选择安装路径", ""), std::nullopt);
  EXPECT_EQ(platform::BrowseForFolder(nullptr, "选择安装路径", ""), AnsiString("D:\\"));
  EXPECT_EQ(Machine().Shell().PendingFolderBrowserAnswers(), 0);
}

TEST_F(ShellTest, EachOpeningIsRecordedWithItsOwnerTitleAndInitialFolder) {
  gui::Form& wizard = Wizard();
  platform::ForceDirectories("C:\\Program Files\\Korvello");
  Machine().Shell().ScriptFolderBrowserCancel();
  Machine().Shell().ScriptFolderBrowserCancel();
  platform::BrowseForFolder(&wizard, "选择安装路径", "C:\\Program Files\\Korvello\\");
  platform::BrowseForFolder(nullptr, "title", "D:\\Program Files\\Korvello\\");

  const auto openings = Machine().Shell().FolderBrowserOpenings();
  ASSERT_EQ(openings.size(), 2u);
  EXPECT_EQ(openings[0].owner, "FormSchedule");
  EXPECT_EQ(Utf8(openings[0].title), Utf8("选择安装路径"));
  EXPECT_EQ(openings[0].initialFolder, "C:\\Program Files\\Korvello\\");
  EXPECT_TRUE(openings[0].initialFolderShown);
  EXPECT_EQ(openings[1].owner, "");
  EXPECT_EQ(openings[1].initialFolder, "D:\\Program Files\\Korvello\\");
  EXPECT_FALSE(openings[1].initialFolderShown) << "a folder that is not there is not selected";
}

TEST_F(ShellTest, AnUnscriptedOpeningOrAChoiceThatIsNoFolderFailsTheTest) {
  try {
    platform::BrowseForFolder(nullptr, "选择安装路径", "");
    ADD_FAILURE() << "the browser answered without a script";
  } catch (const std::logic_error& error) {
    EXPECT_NE(std::string(error.what()).find("scripted no answer"), std::string::npos)
        << error.what();
  }
  Machine().Shell().ScriptFolderChoice("C:\\Users\\Desktop");
  EXPECT_THROW(platform::BrowseForFolder(nullptr, "t", ""), std::logic_error);
  EXPECT_EQ(Machine().Shell().FolderBrowserOpenings().size(), 2u);
}

TEST_F(ShellTest, ShellExecuteIsLoggedAndFindsOnlyWhatIsThere) {
  gui::Form& wizard = Wizard();
  WriteFile("C:\\Korvello\\KORV.exe", "MZ");
  EXPECT_EQ(platform::ShellExecute(&wizard, "open", "C:\\Korvello\\KORV.exe", "/first",
                                   "C:\\Korvello\\", 1),
            42);
  EXPECT_EQ(platform::ShellExecute(nullptr, "open", "KORV.exe", "", "C:\\Korvello", 1), 42);
  EXPECT_EQ(platform::ShellExecute(nullptr, "open", "C:\\Korvello", "", "", 1), 42)
      << "a folder opens too";
  EXPECT_EQ(platform::ShellExecute(nullptr, "open", "http://www.lumenford.com/", "", "", 1), 42);
  EXPECT_EQ(platform::ShellExecute(nullptr, "open", "C:\\Korvello\\help.chm", "", "", 1), 2);
  EXPECT_EQ(platform::ShellExecute(nullptr, "", "KORV.exe", "", "", 3), 2)
      << "a bare name without a folder to look in";

  const auto log = Machine().Shell().ShellExecuteLog();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0].owner, "FormSchedule");
  EXPECT_EQ(log[0].operation, "open");
  EXPECT_EQ(log[0].file, "C:\\Korvello\\KORV.exe");
  EXPECT_EQ(log[0].parameters, "/first");
  EXPECT_EQ(log[0].directory, "C:\\Korvello\\");
  EXPECT_EQ(log[0].showCommand, 1);
  EXPECT_EQ(log[5].owner, "");
  EXPECT_EQ(log[5].operation, "");
  EXPECT_EQ(log[5].showCommand, 3);
}

}  // namespace
