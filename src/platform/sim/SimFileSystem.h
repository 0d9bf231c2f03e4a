#pragma once
// The drives and files of the simulated machine: drive letters mapped to real host folders (so
// tests compare real bytes), the kind, space and medium of each drive, the Windows folder, the
// marks of files (read-only, hidden, system), files other processes keep locked, the private
// folders and the folders only administrators may change that the program made, the free space
// its writes use up, and writes a test makes fail.
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/AnsiString.h"

namespace sim {

// The kinds of drive, by what the system's queries answer on them.
enum class DriveType {
  Fixed,        // a hard disk: its size and free space
  Removable,    // a removable disk: as a hard disk while it holds a medium
  Optical,      // a disc drive: the disc's size and no free space while it holds a disc
  Network,      // a connected network drive: the share's size and free space
  Unavailable,  // a network drive that is not connected: still listed, nothing there
};

// The marks of a file the system keeps besides its bytes, as bits.
enum FileAttribute : unsigned {
  kReadOnly = 0x1,
  kHidden = 0x2,
  kSystem = 0x4,
};

class SimFileSystem {
 public:
  static constexpr std::uint64_t kDefaultDriveTotalBytes = 100ull << 30;
  static constexpr std::uint64_t kDefaultDriveFreeBytes = 50ull << 30;

  // ---- Drives
  // Maps drive letter to a host folder (created if missing): a fixed drive with the default sizes
  // (100 GB, 50 GB of it free). Mapping a mapped letter again starts it afresh.
  void MapDrive(char letter, const std::filesystem::path& hostFolder);
  void UnmapDrive(char letter);
  // The mapped letters, in alphabetical order.
  std::vector<char> DriveLetters() const;
  // The total size and the free space of a mapped drive; std::logic_error for an unmapped one.
  void SetDriveSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes);
  // The kind of a mapped drive; a removable or disc drive gets a medium in it.
  // std::logic_error for an unmapped letter.
  void SetDriveType(char letter, DriveType type);
  // Takes the medium out of a removable or disc drive, or puts one in: without one the drive is
  // still listed, but it cannot be queried (the system's "device not ready") and holds no files
  // or folders. std::logic_error for an unmapped letter or another kind of drive.
  void SetDriveMedium(char letter, bool present);
  // The system cannot tell a mapped drive's space (its query fails, as it can on a network or
  // virtual drive) while files on it are still reached. std::logic_error for an unmapped one.
  void SetDriveSpaceUnknown(char letter);
  // The drive's total and free bytes; nothing when it is not mapped, has no medium, is not
  // available or its space is unknown. A disc has no free bytes, whatever its size.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> DriveSpace(char letter) const;

  // ---- Paths and files
  // The host file or folder of a Windows path ("C:\A\b.txt", also with '/' separators).
  // Existing components are matched without regard to ASCII case, new ones are taken as
  // written; host names are UTF-8. Empty when the drive is not mapped, has no medium, is not
  // connected, or the path has none.
  std::filesystem::path HostPath(const AnsiString& windowsPath) const;
  // True when the path is on a removable or disc drive without a medium.
  bool MediumMissing(const AnsiString& windowsPath) const;
  // True when the path is on a disc: nothing there can be written, made or removed.
  bool OnDisc(const AnsiString& windowsPath) const;
  // The Windows folder (default "C:\WINDOWS"); setting it does not create it.
  AnsiString WindowsFolder() const;
  void SetWindowsFolder(const AnsiString& path);
  // The marks of an existing file (FileAttribute bits); a test sets them as the user or another
  // program did. Writing a file whole over a marked one is refused, as the system refuses
  // CREATE_ALWAYS with plain attributes over a read-only, hidden or system file; a read-only file
  // cannot be deleted. std::logic_error when there is no such file.
  void SetFileAttributes(const AnsiString& windowsPath, unsigned attributes);
  // The marks of the file at hostPath; 0 for a file without marks or no file.
  unsigned FileAttributes(const std::filesystem::path& hostPath) const;
  // Forgets the marks of a file that went (deleted, or never there).
  void ForgetFileAttributes(const std::filesystem::path& hostPath);
  // A file another process keeps open without sharing: creating or opening it fails with the
  // sharing-violation reason.
  void LockFile(const AnsiString& windowsPath);
  bool IsLocked(const std::filesystem::path& hostPath) const;
  // The files and folders the program asked to have deleted at the next start, in order.
  void ScheduleDeletionAtRestart(const AnsiString& windowsPath);
  std::vector<AnsiString> DeletionsAtRestart() const;

  // ---- Space that writes use
  // A file the program writes, appends to, replaces or deletes through the machine's file
  // services takes its bytes from its drive's free space or gives them back (the file's size, not
  // the clusters it would take; what a test puts on the host directly, and INI files and links
  // the machine writes, are not counted). Free space never goes above the drive's total.
  // For the file services: the file at windowsPath changes from oldSize to wantedSize bytes; the
  // size it may have, which is less than wantedSize when the drive runs out of space (the caller
  // writes what fits and fails with the disk-full reason, as the system leaves such a file).
  // Nothing is counted on an unmapped drive or a disc.
  std::uint64_t GrantFileSize(const AnsiString& windowsPath, std::uint64_t oldSize,
                              std::uint64_t wantedSize);

  // A name for a file the machine's services write before renaming it into place, one no earlier
  // call was given.
  AnsiString TakeTemporaryName();

  // ---- Writes that fail (for tests of what a failure leaves behind)
  // A file write is one call of WriteWholeFile, WriteNewFile, AppendToFile or
  // ReplaceFileAtomically. A failing write is refused before anything is opened, with the
  // access-denied reason, as when another program or the access list stands in the way.
  // Every write to the file at windowsPath fails, until ClearWriteFailures.
  void FailWritesTo(const AnsiString& windowsPath);
  // The n-th file write from now fails (1: the next one); 0 fails none.
  void FailWriteNumber(std::uint64_t n);
  void ClearWriteFailures();
  // How many file writes were asked for since the machine was made (failed ones included), so a
  // test can count a run's writes and then fail each in turn.
  std::uint64_t FileWritesMade() const;
  // For the file services: counts one file write to windowsPath; true when it is to fail.
  bool CountFileWrite(const AnsiString& windowsPath);

  // ---- Folders only administrators may change
  // The folders EnsureAdministratorsFolder made (or CreatePrivateFolder: made the same way) are
  // the trusted ones; any other folder, one a test made on the host or through CreateDirectory
  // included, is one a standard user could have made, with an access list of its own: not
  // trusted. Removing or renaming a folder forgets it.
  void RecordAdministratorsFolder(const AnsiString& windowsPath);
  bool IsAdministratorsFolder(const AnsiString& windowsPath) const;
  // For the file services: a folder at hostPath went (removed or renamed).
  void ForgetFolder(const std::filesystem::path& hostPath);
  // For the file services: the marks of a file go along with it when it is renamed.
  void MoveFileAttributes(const std::filesystem::path& from, const std::filesystem::path& to);

  // ---- Private folders (a fresh random name, only Administrators and SYSTEM let in)
  // The name the next private folder will try first ("KorvSetup-" and 16 hex digits); each try
  // takes a name, so a test can plant something there and see it passed over.
  AnsiString PeekPrivateFolderName() const;
  AnsiString TakePrivateFolderName();
  // The private folders made, in order (Windows paths, without a trailing backslash).
  void RecordPrivateFolder(const AnsiString& windowsPath);
  std::vector<AnsiString> PrivateFolders() const;
  // The system refuses to make private folders and folders only administrators may change (no
  // right to set the access list or owner, as for a program that is not elevated).
  void SetPrivateFoldersRefused(bool refused);
  bool PrivateFoldersRefused() const;

 private:
  struct Drive {
    std::filesystem::path host;
    std::uint64_t totalBytes = kDefaultDriveTotalBytes;
    std::uint64_t freeBytes = kDefaultDriveFreeBytes;
    DriveType type = DriveType::Fixed;
    bool medium = true;
    bool spaceKnown = true;
    // Whether anything on the drive can be reached.
    bool Ready() const { return type != DriveType::Unavailable && medium; }
  };

  std::filesystem::path HostPathLocked(const AnsiString& windowsPath) const;
  // The drive a Windows path is on (a path without one is on C:), or null when none is mapped.
  const Drive* DriveOfLocked(const AnsiString& windowsPath) const;
  Drive& MappedDrive(char letter);

  mutable std::mutex mutex_;
  std::map<char, Drive> drives_;
  AnsiString windowsFolder_ = "C:\\WINDOWS";
  std::map<std::filesystem::path, unsigned> fileAttributes_;  // by host path
  std::vector<std::filesystem::path> lockedFiles_;
  std::vector<AnsiString> deletionsAtRestart_;
  std::uint64_t privateFolderNames_ = 0;
  std::vector<AnsiString> privateFolders_;
  bool privateFoldersRefused_ = false;
  std::vector<std::filesystem::path> trustedFolders_;  // host paths
  std::vector<std::filesystem::path> failingWrites_;   // host paths
  std::uint64_t failingWriteNumber_ = 0;               // 0: none
  std::uint64_t fileWrites_ = 0;
  std::uint64_t temporaryNames_ = 0;
};

}  // namespace sim
