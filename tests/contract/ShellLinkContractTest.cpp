// The shell link contract: a link saved into a folder is a file there that names its target and
// working folder when read back (contract/SavedLinks.h), Chinese names included; saving again
// replaces it; a missing folder is no place to save; bytes that are not code page 936 never
// reach the system; without a COM apartment no link can be made. The common desktop folder is a
// folder that is there.
#include <exception>
#include <ostream>
#include <string>
#include <thread>

#include "contract/ContractEnv.h"
#include "contract/SavedLinks.h"
#include "platform/ComApartment.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/ShellLink.h"
#include "support/TestNames.h"

namespace contract {
namespace {

class ShellLinkContract : public ContractTest {
 protected:
  void SetUp() override { ASSERT_TRUE(com_.Initialized()); }

  // A program file to link to, in a folder below the scratch folder made for it.
  AnsiString MakeTarget(const AnsiString& folder, const AnsiString& name) const {
    EXPECT_TRUE(platform::ForceDirectories(Scratch(folder))) << Readable(Scratch(folder));
    const AnsiString target = Scratch(folder) + name;
    platform::WriteWholeFile(target, "MZ", 2);
    return target;
  }

  // Saves a link to target with working folder into linkFile, as the program makes its desktop
  // shortcut; whether Save succeeded.
  static bool SaveLink(const AnsiString& target, const AnsiString& workingFolder,
                       const AnsiString& linkFile) {
    platform::ShellLink link;
    EXPECT_TRUE(link.SetPath(target)) << Readable(target);
    EXPECT_TRUE(link.SetWorkingDirectory(workingFolder)) << Readable(workingFolder);
    return link.Save(linkFile);
  }

  static void ExpectLink(const AnsiString& linkFile, const AnsiString& target,
                         const AnsiString& workingFolder) {
    EXPECT_TRUE(platform::FileExists(linkFile)) << Readable(linkFile);
    const std::optional<LinkContents> read = ReadSavedLink(linkFile);
    ASSERT_TRUE(read) << "no link to read in " << Readable(linkFile);
    EXPECT_EQ(Readable(read->target), Readable(target));
    EXPECT_EQ(Readable(read->workingFolder), Readable(workingFolder));
  }

 private:
  platform::ComApartment com_;
};

struct LinkCase {
  const char* what;
  AnsiString folder;  // the target's folder below the scratch folder, with its final backslash
  AnsiString targetName;
  AnsiString linkName;  // the link's file in the scratch folder
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.what; }

class ShellLinkSaveContract : public ShellLinkContract,
                              public ::testing::WithParamInterface<LinkCase> {};

TEST_P(ShellLinkSaveContract, ASavedLinkNamesItsTargetAndWorkingFolder) {
  const LinkCase& c = GetParam();
  const AnsiString target = MakeTarget(c.folder, c.targetName);
  const AnsiString linkFile = Scratch(c.linkName);
  EXPECT_TRUE(SaveLink(target, Scratch(c.folder), linkFile));
  ExpectLink(linkFile, target, Scratch(c.folder));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellLinkSaveContract,
    ::testing::Values(
        LinkCase{"ASCII names", "Korvl280\\", "KORV.exe", "Korvello.lnk"},
        LinkCase{"the shipped link name in a folder with spaces", "Program Files\\Korvl280\\",
                 "KORV.exe", "Korvellov2.8.0(k).lnk"},
        LinkCase{"Chinese folder target and link", "科维软件\\", "科维主程序.exe", "科维软件.lnk"},
        // 俓 is 0x81 0x5C: its trail byte is a backslash byte.
        LinkCase{"names with a backslash trail byte", "俓目录\\", "俓.exe", "俓快捷方式.lnk"}),
    test_names::From(&LinkCase::what));

TEST_F(ShellLinkContract, SavingAgainReplacesTheLink) {
  const AnsiString first = MakeTarget("first\\", "KORV.exe");
  const AnsiString second = MakeTarget("第二\\", "KORV.exe");
  const AnsiString linkFile = Scratch("Korvello.lnk");
  ASSERT_TRUE(SaveLink(first, Scratch("first\\"), linkFile));
  ExpectLink(linkFile, first, Scratch("first\\"));

  EXPECT_TRUE(SaveLink(second, Scratch("第二\\"), linkFile));
  ExpectLink(linkFile, second, Scratch("第二\\"));

  // The same object saved again after a change writes the change.
  platform::ShellLink link;
  link.SetPath(first);
  link.SetWorkingDirectory(Scratch("first\\"));
  ASSERT_TRUE(link.Save(linkFile));
  link.SetPath(second);
  EXPECT_TRUE(link.Save(linkFile));
  ExpectLink(linkFile, second, Scratch("first\\"));
}

TEST_F(ShellLinkContract, SavingIntoAMissingFolderFails) {
  const AnsiString target = MakeTarget("Korvl280\\", "KORV.exe");
  for (const AnsiString missing : {"missing\\", "缺少\\更深\\"}) {
    SCOPED_TRACE(Readable(missing));
    const AnsiString linkFile = Scratch(missing) + "Korvello.lnk";
    EXPECT_FALSE(SaveLink(target, Scratch("Korvl280\\"), linkFile));
    EXPECT_FALSE(platform::FileExists(linkFile));
    EXPECT_FALSE(platform::DirectoryExists(Scratch(missing))) << "saving makes no folder";
  }
}

// A lead byte with a byte after it that no character of code page 936 has, and a lead byte
// that ends the text.
TEST_F(ShellLinkContract, TextThatIsNotCodePage936IsRefused) {
  const AnsiString target = MakeTarget("Korvl280\\", "KORV.exe");
  for (const AnsiString& bad : {Scratch("a\x81\x20.exe"), Scratch("a\x81")}) {
    SCOPED_TRACE(Readable(bad));
    platform::ShellLink link;
    EXPECT_THROW(link.SetPath(bad), EEncodingError);
    EXPECT_THROW(link.SetWorkingDirectory(bad), EEncodingError);
    link.SetPath(target);
    EXPECT_THROW(link.Save(bad + ".lnk"), EEncodingError);
  }
}

// A fresh thread has no apartment: the system refuses to make the object there with
// CO_E_NOTINITIALIZED, reported in the system's words where it has them (Windows) and by its code
// where it has none (Wine).
TEST_F(ShellLinkContract, WithoutAnApartmentNoLinkIsMade) {
  std::string error = "nothing thrown";
  std::thread other([&error] {
    try {
      const platform::ShellLink link;
    } catch (const EOleSysError& e) {
      error = e.what();
    } catch (const std::exception& e) {
      error = std::string("another exception: ") + e.what();
    }
  });
  other.join();
  EXPECT_TRUE(error == "CoInitialize has not been called" || error == "OLE error 800401F0")
      << error;
}

TEST_F(ShellLinkContract, TheCommonDesktopFolderIsThere) {
  const AnsiString desktop = platform::CommonDesktopFolder();
  ASSERT_FALSE(desktop.empty());
  EXPECT_NE(desktop.back(), '\\') << Readable(desktop);
  EXPECT_TRUE(platform::DirectoryExists(desktop)) << Readable(desktop);
}

}  // namespace
}  // namespace contract
