// Removing an installation made by the whole setup on the simulated machine: what the machine
// holds afterwards, compared with what it held before the installation, for each state the
// machine may be in when the uninstaller comes (what the user changed, added or removed since, a
// file in use, no record, a record damaged or naming what is not the installation's).
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "install/InstallFixture.h"
#include "install/InstallRecord.h"
#include "install/ProgramGroup.h"
#include "install/Registration.h"
#include "platform/Files.h"
#include "support/DriveSnapshot.h"
#include "uninstall/Removal.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFolder = "D:\\Program Files\\Korvl280\\";
constexpr const char* kCompatibilityKey =
    "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Where the uninstaller takes the installation from.
enum class Source { Record, Manifest };

struct RemovalCase {
  std::string what;
  // The machine after the installation, as the test leaves it for the uninstaller.
  std::function<void(class RemovalTest&)> arrange;
  Source source = Source::Record;
  // Refused as a whole: nothing changes from the arranged machine on.
  bool refused = false;
  // What the drives hold then that they did not before the installation, and the registry
  // values that differ from before it.
  std::string drives;
  std::string registry;
  std::vector<std::string> atRestart;  // relative to the install folder
};

void PrintTo(const RemovalCase& removal, std::ostream* out) { *out << removal.what; }

class RemovalTest : public InstallFixture, public ::testing::WithParamInterface<RemovalCase> {
 public:
  using InstallFixture::HostPath;
  using InstallFixture::Machine;
  using InstallFixture::WriteFile;

  struct MachineState {
    support::DriveSnapshot c;
    support::DriveSnapshot d;
    sim::RegistrySnapshot registry;
    std::vector<AnsiString> groups;
  };

  MachineState State() {
    support::DriveSnapshot c = support::SnapshotOfDrive('C');
    // The staging folder and the journal's folder are the setup's, not the installation's.
    for (auto entry = c.entries.begin(); entry != c.entries.end();) {
      const bool setupOwn = entry->first.rfind("WINDOWS/Temp", 0) == 0 ||
                            entry->first.rfind("ProgramData/KorvelloSetup", 0) == 0;
      entry = setupOwn ? c.entries.erase(entry) : ++entry;
    }
    return {c, support::SnapshotOfDrive('D'), Machine().Registry().Snapshot(),
            Machine().Dde().ProgramGroups()};
  }

  // Registry differences, one line each: "added|removed|changed: key\name".
  static std::string RegistryDifferences(const sim::RegistrySnapshot& before,
                                         const sim::RegistrySnapshot& after) {
    std::string text;
    const auto walk = [&text](const sim::RegistrySnapshot& from, const sim::RegistrySnapshot& to,
                              const char* missing, bool changes) {
      for (const auto& [key, values] : from.keys) {
        const auto other = to.keys.find(key);
        if (other == to.keys.end()) {
          text += std::string(missing) + ": " + Utf8(key) + "\n";
          continue;
        }
        for (const auto& [name, value] : values) {
          const auto found = other->second.find(name);
          if (found == other->second.end()) {
            text += std::string(missing) + ": " + Utf8(key) + "\\" + Utf8(name) + "\n";
          } else if (changes &&
                     !(found->second.type == value.type && found->second.data == value.data)) {
            text += "changed: " + Utf8(key) + "\\" + Utf8(name) + "\n";
          }
        }
      }
    };
    walk(before, after, "removed", true);
    walk(after, before, "added", false);
    return text;
  }

  AnsiString Desktop() const { return AnsiString(kDesktop) + "\\"; }
};

std::optional<Installation> InstallationFor(Source source, AnsiString* why) {
  if (source == Source::Manifest) return InstallationOfManifest(kFolder, why);
  const AnsiString record = AnsiString(kFolder) + kInstallRecordFileName;
  return InstallationOfRecord(kFolder, platform::ReadWholeFile(record), why);
}

TEST_P(RemovalTest, LeavesWhatTheInstallationDidNotPutThere) {
  const RemovalCase& removal = GetParam();
  const MachineState before = State();
  RunWholeInstallation();
  ASSERT_TRUE(Exists(AnsiString(kFolder) + "KORV.exe"));
  if (removal.arrange) removal.arrange(*this);
  const MachineState arranged = State();

  AnsiString why;
  auto installation = InstallationFor(removal.source, &why);
  if (installation) why = RefusalOf(*installation);
  if (removal.refused) {
    EXPECT_FALSE(why.empty()) << "the installation is refused";
    const MachineState after = State();
    EXPECT_EQ(support::DifferencesBetween(arranged.d, after.d), "");
    EXPECT_TRUE(after.registry == arranged.registry);
    return;
  }
  ASSERT_TRUE(why.empty()) << Utf8(why);
  RemovalServices services;
  services.removeProgramGroup = [](const AnsiString& caption) {
    RemoveProgramGroupAnywhere(caption, [](const AnsiString&) {});
  };
  const RemovalOutcome outcome = RemoveInstallation(*installation, services);

  const MachineState after = State();
  EXPECT_EQ(support::DifferencesBetween(before.c, after.c) +
                support::DifferencesBetween(before.d, after.d),
            removal.drives);
  EXPECT_EQ(RegistryDifferences(before.registry, after.registry), removal.registry);
  if (removal.source == Source::Record) {
    EXPECT_EQ(after.groups, before.groups) << "the program group is gone";
  }
  std::vector<std::string> atRestart;
  for (const AnsiString& path : Machine().Files().DeletionsAtRestart())
    atRestart.push_back(Utf8((path + "\\").substr(std::string(kFolder).size())));
  EXPECT_EQ(atRestart, removal.atRestart);
  EXPECT_TRUE(outcome.failed.empty());
  EXPECT_TRUE(outcome.entryRemoved);
}

const RemovalCase kCases[] = {
    {"a fresh installation", nullptr, Source::Record, false, "added: Program Files\n", "", {}},
    {"a document the user changed",
     [](RemovalTest&) {
       support::ChangeFileAsTheUser(AnsiString(kFolder) + "ReadMe.txt", "my notes");
     },
     Source::Record,
     false,
     "added: Program Files\nadded: Program Files/Korvl280\nadded: Program "
     "Files/Korvl280/ReadMe.txt\n",
     "",
     {}},
    {"a file the user added two folders down",
     [](RemovalTest& test) {
       test.WriteFile(AnsiString(kFolder) + "SdbFile\\Image\\Mine.bmp", "the user's picture");
     },
     Source::Record,
     false,
     "added: Program Files\nadded: Program Files/Korvl280\nadded: Program "
     "Files/Korvl280/SdbFile\nadded: Program Files/Korvl280/SdbFile/Image\nadded: Program "
     "Files/Korvl280/SdbFile/Image/Mine.bmp\n",
     "",
     {}},
    {"a value someone changed since",
     [](RemovalTest& test) {
       test.Machine().Registry().SetValue(platform::RootKey::CurrentUser,
                                          "Software\\KORVL\\Shell\\Serial", "Serial",
                                          {sim::RegistryType::String, "someone else's"});
     },
     Source::Record,
     false,
     "added: Program Files\n",
     "added: HKCU\\Software\nadded: HKCU\\Software\\KORVL\nadded: "
     "HKCU\\Software\\KORVL\\Shell\nadded: "
     "HKCU\\Software\\KORVL\\Shell\\Serial\n",
     {}},
    {"the shortcut pointed elsewhere by the user",
     [](RemovalTest& test) {
       test.WriteFile(test.Desktop() + "Korvellov2.8.0(k).lnk",
                      "[ShellLink]\r\nTarget=C:\\Tools\\Other.exe\r\nWorkingFolder=C:\\\r\n");
     },
     Source::Record,
     false,
     "added: Users/Public/Desktop/Korvellov2.8.0(k).lnk\nadded: Program Files\n",
     "",
     {}},
    {"the shortcut and the group removed by the user",
     [](RemovalTest& test) {
       fs::remove(test.HostPath(test.Desktop() + "Korvellov2.8.0(k).lnk"));
       sim::SimDde& dde = test.Machine().Dde();
       ASSERT_EQ(dde.ProgramGroups().size(), 1u);
       const auto conversation = dde.Connect("ProgMan", "ProgMan");
       ASSERT_TRUE(conversation.has_value());
       dde.Execute(*conversation, "[DeleteGroup(\"" + dde.ProgramGroups()[0] + "\")]", true);
       dde.Disconnect(*conversation);
       ASSERT_TRUE(dde.ProgramGroups().empty());
     },
     Source::Record,
     false,
     "added: Program Files\n",
     "",
     {}},
    {"a file in use",
     [](RemovalTest& test) { test.Machine().Files().LockFile(AnsiString(kFolder) + "ReadMe.txt"); },
     Source::Record,
     false,
     "added: Program Files\nadded: Program Files/Korvl280\nadded: Program "
     "Files/Korvl280/ReadMe.txt\n",
     "",
     {"ReadMe.txt\\", ""}},
    {"no record, only the manifest",
     [](RemovalTest& test) {
       fs::remove(test.HostPath(AnsiString(kFolder) + kInstallRecordFileName));
       test.WriteFile(
           AnsiString(kFolder) + "Setup.log",
           "FileExe exename KORV.exe\r\nuninstall exename Uninstall.exe\r\nFileTxt1 "
           "txtname ReadMe.txt\r\nFileBmp1 bmpname SdbFile\\Image\\Move1.BMP\r\nFileTxt5 "
           "txtname Setup.log\r\n");
     },
     // A manifest names neither the shortcut, the group, the product's registry values nor the
     // options the setup wrote after it.
     Source::Manifest,
     false,
     "added: Users/Public/Desktop/Korvellov2.8.0(k).lnk\nadded: Program Files\nadded: Program "
     "Files/Korvl280\nadded: Program Files/Korvl280/Options.ini\n",
     "added: HKCR\\.Orv\nadded: HKCR\\Software\nadded: HKCR\\Software\\KORVL\nadded: "
     "HKCR\\Software\\KORVL\\DefaultIcon\nadded: HKCR\\Software\\KORVL\\Shell\nadded: "
     "HKCR\\Software\\KORVL\\Shell\\Open\nadded: "
     "HKCR\\Software\\KORVL\\Shell\\Open\\Command\nadded: "
     "HKCU\\Software\nadded: HKCU\\Software\\KORVL\nadded: HKCU\\Software\\KORVL\\Shell\nadded: "
     "HKCU\\Software\\KORVL\\Shell\\PathName\nadded: HKCU\\Software\\KORVL\\Shell\\Serial\nadded: "
     "HKCU\\Software\\KORVL\\Shell\\Version\nadded: HKCU\\Software\\Microsoft\\Windows NT\nadded: "
     "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\nadded: "
     "HKCU\\Software\\Microsoft\\Windows "
     "NT\\CurrentVersion\\AppCompatFlags\nadded: HKCU\\Software\\Microsoft\\Windows "
     "NT\\CurrentVersion\\AppCompatFlags\\Layers\nadded: HKCU\\software\\microsoft\nadded: "
     "HKCU\\software\\microsoft\\windows\nadded: "
     "HKCU\\software\\microsoft\\windows\\currentversion\nadded: "
     "HKCU\\software\\microsoft\\windows\\currentversion\\uninstall\n",
     {}},
    {"a damaged record",
     [](RemovalTest& test) {
       test.WriteFile(AnsiString(kFolder) + kInstallRecordFileName,
                      "Korvello installation record 1\r\nfile\tKORV.exe\r\nend\r\n");
     },
     Source::Record,
     true,
     "",
     "",
     {}},
    {"a record naming a file of the Windows folder",
     [](RemovalTest& test) {
       test.WriteFile("C:\\WINDOWS\\win.ini", "[windows]\r\n");
       std::string record = platform::ReadWholeFile(AnsiString(kFolder) + kInstallRecordFileName);
       record.insert(record.find("end\r\n"),
                     "file\t..\\..\\..\\WINDOWS\\win.ini\t11\t0\t-\tnew\r\n");
       test.WriteFile(AnsiString(kFolder) + kInstallRecordFileName, record);
     },
     Source::Record,
     true,
     "",
     "",
     {}},
    {"a folder of the installation turned into a link to elsewhere",
     [](RemovalTest& test) {
       fs::remove_all(test.HostPath(AnsiString(kFolder) + "SdbFile"));
       fs::create_directories(test.HostPath("C:\\Elsewhere\\Image"));
       test.WriteFile("C:\\Elsewhere\\Image\\Move1.BMP", std::string(3000, 'B'));
       fs::create_directory_symlink(test.HostPath("C:\\Elsewhere"),
                                    test.HostPath(AnsiString(kFolder) + "SdbFile"));
     },
     Source::Record,
     true,
     "",
     "",
     {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, RemovalTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RemovalCase>& info) {
                           std::string name;
                           for (const char c : info.param.what) name += std::isalnum(c) ? c : '_';
                           return name;
                         });

}  // namespace
