// Files and folders of the simulated machine: Windows paths onto real host files, and the
// runtime's error texts when a file cannot be created or opened.
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/SimTest.h"
#include "support/TestNames.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public SimTest {};

TEST_F(FilesTest, WindowsPathsMapOntoHostFoldersIgnoringCase) {
  EXPECT_EQ(platform::WindowsDirectory(), "C:\\WINDOWS");
  EXPECT_TRUE(fs::is_directory(Root() / "C" / "WINDOWS"));

  fs::create_directories(Root() / "C" / "windows" / "temp");
  fs::remove_all(Root() / "C" / "WINDOWS");
  EXPECT_EQ(HostPath("C:\\WINDOWS\\Temp\\a.txt"), Root() / "C" / "windows" / "temp" / "a.txt");
  EXPECT_EQ(HostPath("c:/Windows//TEMP\\.\\x\\..\\a.txt"),
            Root() / "C" / "windows" / "temp" / "a.txt");
  EXPECT_EQ(HostPath("C:\\"), Root() / "C");
  EXPECT_TRUE(HostPath("Q:\\a.txt").empty()) << "an unmapped drive has no host path";

  Machine().Files().MapDrive('d', Root() / "disk-d");
  EXPECT_EQ(HostPath("D:\\Program Files\\X\\"), Root() / "disk-d" / "Program Files" / "X");
}

TEST_F(FilesTest, Cp936NamesBecomeUtf8HostNamesAndTrailBytesAreNotSeparators) {
  // 0x95 0x5C is one CP936 character whose trail byte is the code of "\".
  const AnsiString name = "C:\\用户\\\x95\x5C.txt";
  platform::ForceDirectories("C:\\用户");
  platform::WriteWholeFile(name, "x", 1);
  EXPECT_TRUE(fs::exists(Root() / "C" / Utf8("用户") / Utf8("\x95\x5C.txt")));
  EXPECT_TRUE(platform::FileExists(name));
}

TEST_F(FilesTest, WriteWholeFileCreatesOrReplacesWithTheExactBytes) {
  const std::string bytes("a\0b\r\n\xff", 6);
  platform::WriteWholeFile("C:\\WINDOWS\\data.bin", bytes.data(), bytes.size());
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\data.bin"), bytes);
  platform::WriteWholeFile("C:\\windows\\DATA.BIN", "z", 1);
  EXPECT_EQ(ReadFile("C:\\WINDOWS\\data.bin"), "z");
  EXPECT_EQ(platform::ReadWholeFile("C:\\WINDOWS\\Data.bin"), "z");
  platform::WriteWholeFile("C:\\WINDOWS\\empty.bin", nullptr, 0);
  EXPECT_TRUE(platform::FileExists("C:\\WINDOWS\\empty.bin"));
}

struct CreateErrorCase {
  const char* what;
  AnsiString path;
  std::string message;
};

void PrintTo(const CreateErrorCase& c, std::ostream* out) { *out << c.what; }

class FileCreateErrorTest : public SimTest,
                            public ::testing::WithParamInterface<CreateErrorCase> {};

TEST_P(FileCreateErrorTest, GivesTheRuntimeText) {
  WriteFile("C:\\Locked.txt", "kept");
  Machine().Files().LockFile("C:\\locked.TXT");
  const CreateErrorCase& c = GetParam();
  try {
    platform::WriteWholeFile(c.path, "x", 1);
    ADD_FAILURE() << c.what << ": no error";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), c.message) << c.what;
  }
  EXPECT_EQ(ReadFile("C:\\Locked.txt"), "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileCreateErrorTest,
    ::testing::Values(
        CreateErrorCase{"the target is a folder", "C:\\WINDOWS",
                        "Cannot create file \"C:\\WINDOWS\". Access is denied"},
        CreateErrorCase{"the folder does not exist", "C:\\No\\x.txt",
                        "Cannot create file \"C:\\No\\x.txt\". The system cannot find the path "
                        "specified"},
        CreateErrorCase{"the drive does not exist", "Q:\\x.txt",
                        "Cannot create file \"Q:\\x.txt\". The system cannot find the path "
                        "specified"},
        CreateErrorCase{"another process keeps the file open", "C:\\Locked.txt",
                        "Cannot create file \"C:\\Locked.txt\". The process cannot access the "
                        "file because it is being used by another process"}),
    test_names::From(&CreateErrorCase::what));

TEST_F(FilesTest, ReadersGiveTheRuntimeTextWhenTheyCannotOpen) {
  const struct {
    AnsiString path;
    std::string message;
  } cases[] = {
      {"C:\\missing.txt",
       "Cannot open file \"C:\\missing.txt\". The system cannot find the file specified"},
      {"C:\\No\\x.txt",
       "Cannot open file \"C:\\No\\x.txt\". The system cannot find the path specified"},
      {"C:\\WINDOWS", "Cannot open file \"C:\\WINDOWS\". Access is denied"},
  };
  const std::pair<const char*, std::function<void(const AnsiString&)>> readers[] = {
      {"whole", [](const AnsiString& path) { platform::ReadWholeFile(path); }},
      {"in pieces", [](const AnsiString& path) { platform::FileReader reader(path); }},
  };
  for (const auto& [how, read] : readers) {
    for (const auto& c : cases) {
      try {
        read(c.path);
        ADD_FAILURE() << how << ": " << c.message << ": no error";
      } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), c.message) << how;
      }
    }
  }
}

TEST_F(FilesTest, FileReaderGivesTheFileInPiecesOfTheAskedSize) {
  std::string content;
  for (int i = 0; i < 1000; ++i) content.push_back(static_cast<char>(i * 13));
  WriteFile("C:\\Data.bin", content);
  platform::FileReader reader("C:\\Data.bin");
  std::string read;
  std::vector<std::size_t> pieces;
  char buffer[300];
  while (const std::size_t got = reader.Read(buffer, sizeof buffer)) {
    pieces.push_back(got);
    read.append(buffer, got);
  }
  EXPECT_EQ(pieces, (std::vector<std::size_t>{300, 300, 300, 100}));
  EXPECT_EQ(read, content);
  EXPECT_EQ(reader.Read(buffer, sizeof buffer), 0u) << "stays at the end";
}

TEST_F(FilesTest, FolderAndFileOperationsReportLikeTheSystem) {
  EXPECT_TRUE(platform::CreateDirectory("C:\\WINDOWS\\Temp"));
  EXPECT_FALSE(platform::CreateDirectory("C:\\windows\\temp")) << "exists already";
  EXPECT_FALSE(platform::CreateDirectory("C:\\A\\B")) << "parent missing";
  EXPECT_TRUE(platform::DirectoryExists("C:\\Windows\\TEMP"));
  EXPECT_FALSE(platform::FileExists("C:\\Windows\\TEMP")) << "a folder is not a file";

  EXPECT_TRUE(platform::ForceDirectories("C:\\A\\B\\C"));
  EXPECT_TRUE(platform::DirectoryExists("C:\\A\\B\\C"));
  EXPECT_TRUE(platform::ForceDirectories("C:\\A\\B\\C")) << "exists afterwards";
  EXPECT_FALSE(platform::ForceDirectories("Q:\\X"));

  WriteFile("C:\\A\\f.txt", "1");
  EXPECT_FALSE(platform::DirectoryExists("C:\\A\\f.txt"));
  EXPECT_FALSE(platform::DeleteFile("C:\\A\\B")) << "DeleteFile does not remove folders";
  Machine().Files().LockFile("C:\\A\\f.txt");
  EXPECT_FALSE(platform::DeleteFile("C:\\A\\f.txt"));
  EXPECT_TRUE(platform::FileExists("C:\\A\\f.txt"));
  WriteFile("C:\\A\\g.txt", "1");
  EXPECT_TRUE(platform::DeleteFile("C:\\a\\G.TXT"));
  EXPECT_FALSE(platform::FileExists("C:\\A\\g.txt"));
  EXPECT_FALSE(platform::DeleteFile("C:\\A\\g.txt")) << "already gone";
}

TEST_F(FilesTest, TheWindowsFolderCanBeMoved) {
  Machine().Files().SetWindowsFolder("D:\\WinNT");
  EXPECT_EQ(platform::WindowsDirectory(), "D:\\WinNT");
  Machine().Files().SetWindowsFolder("C:\\" + std::string(260, 'w'));
  EXPECT_EQ(platform::WindowsDirectory(), "") << "does not fit the 255-byte buffer";
}

}  // namespace
