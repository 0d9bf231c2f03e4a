#pragma once
// The drives and files of the simulated machine: drive letters mapped to real host folders (so
// tests compare real bytes), the space and medium of each drive, the Windows folder, files other
// processes keep locked, and the private folders the program made.
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

class SimFileSystem {
 public:
  static constexpr std::uint64_t kDefaultDriveTotalBytes = 100ull << 30;
  static constexpr std::uint64_t kDefaultDriveFreeBytes = 50ull << 30;

  // ---- Drives
  // Maps drive letter to a host folder (created if missing), with the default sizes (100 GB,
  // 50 GB of it free) and a medium in it. Mapping a mapped letter again starts it afresh.
  void MapDrive(char letter, const std::filesystem::path& hostFolder);
  void UnmapDrive(char letter);
  // The mapped letters, in alphabetical order.
  std::vector<char> DriveLetters() const;
  // The total size and the free space of a mapped drive; std::logic_error for an unmapped one.
  void SetDriveSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes);
  // A drive without a medium (an empty disc drive): still listed, but it cannot be queried and
  // holds no files or folders. std::logic_error for an unmapped letter.
  void SetDriveMedium(char letter, bool present);
  // The drive's total and free bytes; nothing when it is not mapped or has no medium.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> DriveSpace(char letter) const;

  // ---- Paths and files
  // The host file or folder of a Windows path ("C:\A\b.txt", also with '/' separators).
  // Existing components are matched without regard to ASCII case, new ones are taken as
  // written; host names are UTF-8. Empty when the drive is not mapped, has no medium, or the
  // path has none.
  std::filesystem::path HostPath(const AnsiString& windowsPath) const;
  // The Windows folder (default "C:\WINDOWS"); setting it does not create it.
  AnsiString WindowsFolder() const;
  void SetWindowsFolder(const AnsiString& path);
  // A file another process keeps open without sharing: creating or opening it fails with the
  // sharing-violation reason.
  void LockFile(const AnsiString& windowsPath);
  bool IsLocked(const std::filesystem::path& hostPath) const;

  // ---- Private folders (a fresh random name, only Administrators and SYSTEM let in)
  // The name the next private folder will try first ("KorvSetup-" and 16 hex digits); each try
  // takes a name, so a test can plant something there and see it passed over.
  AnsiString PeekPrivateFolderName() const;
  AnsiString TakePrivateFolderName();
  // The private folders made, in order (Windows paths, without a trailing backslash).
  void RecordPrivateFolder(const AnsiString& windowsPath);
  std::vector<AnsiString> PrivateFolders() const;
  // The system refuses to make private folders (no right to set the access list, a full disk).
  void SetPrivateFoldersRefused(bool refused);
  bool PrivateFoldersRefused() const;

 private:
  struct Drive {
    std::filesystem::path host;
    std::uint64_t totalBytes = kDefaultDriveTotalBytes;
    std::uint64_t freeBytes = kDefaultDriveFreeBytes;
    bool medium = true;
  };

  std::filesystem::path HostPathLocked(const AnsiString& windowsPath) const;
  Drive& MappedDrive(char letter);

  mutable std::mutex mutex_;
  std::map<char, Drive> drives_;
  AnsiString windowsFolder_ = "C:\\WINDOWS";
  std::vector<std::filesystem::path> lockedFiles_;
  std::uint64_t privateFolderNames_ = 0;
  std::vector<AnsiString> privateFolders_;
  bool privateFoldersRefused_ = false;
};

}  // namespace sim
