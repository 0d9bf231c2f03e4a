#pragma once
// Files, folders and the Windows folder.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/AnsiString.h"

namespace platform {

// GetWindowsDirectoryW in code page 936. A folder longer than 254 bytes gives "", as the
// 255-byte buffer the setup reads it into cannot take it. EEncodingError when code page 936
// cannot hold it.
AnsiString WindowsDirectory();

bool DirectoryExists(const AnsiString& path);
bool FileExists(const AnsiString& path);
// Whether the path leads through a link: any existing folder on its way, or the item itself, is a
// symbolic link or a junction (which its maker may point anywhere, a system folder included).
// The setup writes and removes nothing below a folder a standard user can change along such a
// path.
bool PassesThroughLink(const AnsiString& path);
// Whether the item at path itself is a symbolic link or a junction.
bool IsLink(const AnsiString& path);
// Whether another program keeps the file open so that it can be neither written nor moved (the
// system answers an exclusive open with a sharing violation); false where no file stands.
bool IsFileInUse(const AnsiString& path);
// CreateDirectoryW without security attributes; true on success.
bool CreateDirectory(const AnsiString& path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const AnsiString& path);
// DeleteFileW; true on success.
bool DeleteFile(const AnsiString& path);
// Asks the system to delete the file, or the folder once empty, when it next starts
// (MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT): for what another program keeps open now.
// True when the system took the request.
bool DeleteAtRestart(const AnsiString& path);

// Creates a new folder below parent whose name no other program can guess (a fresh random name;
// an existing folder is never taken over), with an access list that lets only Administrators
// and SYSTEM in. The folder's path, without a trailing backslash; nothing when it cannot be
// made, with the system's reason in *reason when given.
std::optional<AnsiString> CreatePrivateFolder(const AnsiString& parent,
                                              AnsiString* reason = nullptr);
// RemoveDirectoryW: removes an empty folder; true on success.
bool RemoveDirectory(const AnsiString& path);

// Like WriteWholeFile, but the file must be new: nothing that already stands at the path (a
// file, a link, a folder) is opened, followed or replaced. The same error when it cannot be
// created.
void WriteNewFile(const AnsiString& path, const void* data, std::size_t size);

// Creates or truncates the file and writes all bytes in a single write call.
// Throws EFCreateError "Cannot create file \"%s\". %s" (path, the system's reason) when the
// file cannot be created or the write fails (the disk full: the file stays, with what fitted);
// a file marked read-only, hidden or system is not replaced (the system refuses it access).
void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size);

// Takes the read-only, hidden and system marks off an existing file, keeping its other
// attributes, so that WriteWholeFile can replace it. Nothing to do where no file stands; where
// the marks cannot be taken off, the write that follows reports why.
void MakeReplaceable(const AnsiString& path);

// The size of a file and the time the system reports for its last write (FILETIME ticks: 100 ns
// since 1601-01-01 UTC).
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
  bool operator==(const FileStamp& other) const {
    return size == other.size && writeTime == other.writeTime;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
// Nothing when no file stands at the path (a folder is not a file).
std::optional<FileStamp> StampOf(const AnsiString& path);

// A rename on one volume (MoveFileExW with no flags: never copies, never replaces); a folder is
// renamed the same way. False, with the system's reason in *reason when given, when it fails: the
// target exists, the source is missing or in use, the two are on different drives.
bool RenameFile(const AnsiString& from, const AnsiString& to, AnsiString* reason = nullptr);

// Appends the bytes to the file (creating it; a link standing there is not guarded against) with
// one write, which the system has taken when it returns: a line outlives the process, killed
// right after. (Not flushed to the disk: a flush per line would cost more than the run's own
// writes, and the run's files are no safer against a power cut.) Throws EFCreateError "Cannot
// create file \"%s\". %s" (path, the system's reason) when it cannot be opened or written; what did
// fit of a write the disk had no room for stays.
void AppendToFile(const AnsiString& path, const void* data, std::size_t size);

// Replaces the file's content atomically: writes a new file in the same folder (a name of its
// own), flushes it, then renames it over path (MoveFileExW with MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH), so no crash leaves half a file. The same error as WriteWholeFile; the
// temporary file is removed on failure and the file at path is left as it was.
void ReplaceFileAtomically(const AnsiString& path, const void* data, std::size_t size);

// A folder at a fixed path that only Administrators and SYSTEM may change (owner Administrators;
// access list: full control to Administrators and SYSTEM, nothing for anyone else, nothing
// inherited from the parent). Made so when missing (its parent must exist). An existing one is
// trusted only when its owner is Administrators or SYSTEM and its access list grants no
// write-like right (write or append data, add a file or subfolder, delete a child, delete, write
// the access list or owner, generic write or all) to any other account; a folder someone else made
// first is never taken over. Where the system does not keep the owner a program sets (Wine
// reports the process's own user, and an access list made from the host's file modes), an
// existing folder is judged against a folder made now: its owner may be that one, and no other
// account may change it. False when it cannot be made, or it exists and is not trusted, with
// the reason in *reason when given.
bool EnsureAdministratorsFolder(const AnsiString& folder, AnsiString* reason = nullptr);

// Reads a whole file. Throws EFOpenError "Cannot open file \"%s\". %s" when it cannot be opened.
AnsiString ReadWholeFile(const AnsiString& path);

// ---- A file read in pieces ----

// A file opened for reading and read from its start in pieces of the caller's size, so that a
// large file never sits in memory whole. The file is closed when the reader goes.
class FileReader {
 public:
  // Throws EFOpenError "Cannot open file \"%s\". %s" when it cannot be opened, as ReadWholeFile.
  explicit FileReader(const AnsiString& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Reads up to size bytes into buffer: the bytes read, 0 at the end of the file. Throws
  // Exception "Stream read error" when the system fails to read.
  std::size_t Read(void* buffer, std::size_t size);

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

// ---- A file written in pieces ----

// A file created (or truncated) as WriteWholeFile creates it, or made new as WriteNewFile makes
// it, and written from its start in pieces, so that a large file never sits in memory whole.
// The file is closed when the writer goes; what was written stays.
class FileWriter {
 public:
  enum class Creation { kReplace, kNew };

  // Throws EFCreateError "Cannot create file \"%s\". %s" when it cannot be created, as
  // WriteWholeFile (kReplace) or WriteNewFile (kNew).
  FileWriter(const AnsiString& path, Creation creation);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Writes the bytes after those written before; the same error as WriteWholeFile when the
  // write fails (the disk full: what fitted stays).
  void Write(const void* data, std::size_t size);

 private:
  AnsiString path_;
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

// ---- A file appended to line by line ----

// A file kept open for appending (created when missing; others may read it meanwhile), as
// AppendToFile writes it but without opening it again for every line. The file is closed when
// the appender goes.
class FileAppender {
 public:
  // Throws EFCreateError "Cannot create file \"%s\". %s" when it cannot be opened.
  explicit FileAppender(const AnsiString& path);
  ~FileAppender();
  FileAppender(const FileAppender&) = delete;
  FileAppender& operator=(const FileAppender&) = delete;

  // Appends the bytes with one write, as AppendToFile; the same error when it cannot.
  void Append(const void* data, std::size_t size);

 private:
  AnsiString path_;
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
