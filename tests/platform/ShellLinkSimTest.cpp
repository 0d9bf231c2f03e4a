// Shell links on the simulated machine, beyond the contract: a refused or apartment-less
// creation throws the system's text, the machine records every link saved and writes its file,
// the common desktop folder is what the test sets, and association notices are counted.
#include <ostream>
#include <string>
#include <thread>

#include "platform/ComApartment.h"
#include "platform/Errors.h"
#include "platform/ShellLink.h"
#include "support/SimTest.h"
#include "support/TestNames.h"

namespace {

// The message of the EOleSysError that making a link throws, or what happened instead.
std::string CreationError() {
  try {
    const platform::ShellLink link;
  } catch (const EOleSysError& e) {
    return e.what();
  }
  return "nothing thrown";
}

class ShellLinkSimTest : public SimTest {};

TEST_F(ShellLinkSimTest, ARefusedClassThrowsUntilItIsAllowedAgain) {
  const platform::ComApartment com;
  Machine().Shell().SetShellLinkRefused(true);
  EXPECT_EQ(CreationError(), "Class not registered");
  Machine().Shell().SetShellLinkRefused(false);
  EXPECT_NO_THROW(platform::ShellLink());
}

TEST_F(ShellLinkSimTest, ALinkNeedsAnApartmentOnItsOwnThread) {
  EXPECT_EQ(CreationError(), "CoInitialize has not been called") << "no apartment at all";

  // An apartment the system refused is none.
  Machine().Threads().SetComRefused(true);
  {
    const platform::ComApartment refused;
    EXPECT_EQ(CreationError(), "CoInitialize has not been called") << "a refused apartment";
  }
  Machine().Threads().SetComRefused(false);

  // Another thread's apartment does not count for this one.
  std::string onOtherThread;
  const platform::ComApartment here;
  std::thread([&onOtherThread] { onOtherThread = CreationError(); }).join();
  EXPECT_EQ(onOtherThread, "CoInitialize has not been called") << "another thread";
  EXPECT_EQ(CreationError(), "nothing thrown") << "the thread with the apartment";
}

TEST_F(ShellLinkSimTest, EverySavedLinkIsRecordedInOrderAndWritten) {
  Machine().Files().MapDrive('D', Root() / "D");
  const platform::ComApartment com;
  const AnsiString desktop = platform::CommonDesktopFolder();
  platform::ShellLink link;
  link.SetPath("D:\\Korvl280\\KORV.exe");
  link.SetWorkingDirectory("D:\\Korvl280\\");
  ASSERT_TRUE(link.Save(desktop + "\\科维.lnk"));
  EXPECT_FALSE(link.Save("C:\\missing\\科维.lnk"));
  EXPECT_FALSE(link.Save("Q:\\科维.lnk")) << "a drive that is not there";
  Machine().Files().LockFile("C:\\locked.lnk");
  EXPECT_FALSE(link.Save("C:\\locked.lnk")) << "a file another process holds";
  EXPECT_FALSE(link.Save(desktop)) << "a folder of that name";
  link.SetPath("D:\\Korvl280\\Uninstall.exe");
  ASSERT_TRUE(link.Save(desktop + "\\科维.lnk"));

  const std::vector<sim::SavedShellLink> saved = Machine().Shell().SavedShellLinks();
  ASSERT_EQ(saved.size(), 2u) << "failed saves are not recorded";
  const AnsiString targets[] = {"D:\\Korvl280\\KORV.exe", "D:\\Korvl280\\Uninstall.exe"};
  for (std::size_t i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(Utf8(saved[i].file), Utf8(desktop + "\\科维.lnk"));
    EXPECT_EQ(Utf8(saved[i].target), Utf8(targets[i]));
    EXPECT_EQ(Utf8(saved[i].workingFolder), "D:\\Korvl280\\");
  }
  EXPECT_TRUE(Exists("C:\\Users\\Public\\Desktop\\科维.lnk"));
  EXPECT_NE(ReadFile("C:\\Users\\Public\\Desktop\\科维.lnk").find("Uninstall.exe"),
            std::string::npos)
      << "the file holds the last link saved";
  EXPECT_FALSE(Exists("C:\\missing")) << "saving makes no folder";
}

struct DesktopCase {
  const char* what;
  bool set;  // the test sets the folder, otherwise the machine keeps its own
  AnsiString folder;
  AnsiString expected;  // what CommonDesktopFolder gives
};

void PrintTo(const DesktopCase& c, std::ostream* out) { *out << c.what; }

class CommonDesktopFolderSimTest : public SimTest,
                                   public ::testing::WithParamInterface<DesktopCase> {};

TEST_P(CommonDesktopFolderSimTest, IsTheMachinesWithoutTrailingBackslash) {
  const DesktopCase& c = GetParam();
  if (c.set) Machine().Shell().SetCommonDesktopFolder(c.folder);
  EXPECT_EQ(Utf8(platform::CommonDesktopFolder()), Utf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommonDesktopFolderSimTest,
    ::testing::Values(DesktopCase{"the default", false, "", "C:\\Users\\Public\\Desktop"},
                      DesktopCase{"a folder set with a final backslash", true, "D:\\公用\\桌面\\",
                                  "D:\\公用\\桌面"},
                      DesktopCase{"a final backslash trail byte stays", true, "D:\\桌面\\俓",
                                  "D:\\桌面\\俓"},
                      DesktopCase{"a system that cannot name it", true, "", ""}),
    test_names::From(&DesktopCase::what));

TEST_F(ShellLinkSimTest, TheDefaultDesktopFolderIsThere) {
  EXPECT_TRUE(Exists("C:\\Users\\Public\\Desktop"));
}

TEST_F(ShellLinkSimTest, AssociationNoticesAreCounted) {
  EXPECT_EQ(Machine().Shell().AssociationNotices(), 0);
  platform::NotifyAssociationsChanged();
  platform::NotifyAssociationsChanged();
  EXPECT_EQ(Machine().Shell().AssociationNotices(), 2);
}

}  // namespace
