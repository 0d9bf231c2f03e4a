#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/ScopeExit.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SystemReasons.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

sim::SimFileSystem& Files() { return sim::SimMachine::Current().Files(); }

fs::path Host(const AnsiString& path) { return Files().HostPath(path); }

bool IsDirectory(const fs::path& host) {
  std::error_code error;
  return !host.empty() && fs::is_directory(host, error);
}

bool IsFile(const fs::path& host) {
  std::error_code error;
  return !host.empty() && fs::exists(host, error) && !fs::is_directory(host, error);
}

// Why host cannot be opened, in the system's words; empty when nothing speaks against it.
AnsiString ReasonBeforeOpening(const AnsiString& path, const fs::path& host, bool forReading) {
  if (host.empty() && Files().MediumMissing(path)) return sim::reason::kNotReady;
  if (host.empty() || !IsDirectory(host.parent_path())) return sim::reason::kPathNotFound;
  if (!forReading && Files().OnDisc(path)) return sim::reason::kAccessDenied;
  if (IsDirectory(host)) return sim::reason::kAccessDenied;
  if (Files().IsLocked(host)) return sim::reason::kSharingViolation;
  if (forReading && !IsFile(host)) return sim::reason::kFileNotFound;
  // Replacing a marked file with a plain one is refused: read-only forbids writing, and hidden or
  // system asks for the same marks on the new file.
  if (!forReading && Files().FileAttributes(host) != 0) return sim::reason::kAccessDenied;
  return {};
}

// Why host cannot be opened for writing without being replaced, in the system's words; empty
// when nothing speaks against it. Opening for writing is refused on a disc, a folder and a
// read-only file; hidden and system files are only refused being replaced.
AnsiString ReasonBeforeWritingInPlace(const AnsiString& path, const fs::path& host) {
  if (host.empty() && Files().MediumMissing(path)) return sim::reason::kNotReady;
  if (host.empty() || !IsDirectory(host.parent_path())) return sim::reason::kPathNotFound;
  if (Files().OnDisc(path) || IsDirectory(host) ||
      (Files().FileAttributes(host) & sim::kReadOnly)) {
    return sim::reason::kAccessDenied;
  }
  if (Files().IsLocked(host)) return sim::reason::kSharingViolation;
  return {};
}

AnsiString ReasonOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return sim::reason::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return sim::reason::kAccessDenied;
    default:
      return std::strerror(error);
  }
}

[[noreturn]] void ThrowCannotCreate(const AnsiString& path, const AnsiString& reason) {
  throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(), reason.c_str()));
}

std::uint64_t SizeOf(const fs::path& host) {
  std::error_code error;
  const auto size = IsFile(host) ? fs::file_size(host, error) : 0;
  return error ? 0 : size;
}

// FILETIME ticks (100 ns since 1601) of the host's Unix times.
constexpr std::uint64_t kTicksFrom1601To1970 = 116444736000000000ull;

// The host's last write time of the file, in FILETIME ticks; 0 when there is none.
std::uint64_t WriteTicks(const fs::path& host) {
  struct stat status {};
  if (::stat(host.c_str(), &status) != 0) return 0;
  return kTicksFrom1601To1970 + static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 10000000u +
         static_cast<std::uint64_t>(status.st_mtim.tv_nsec) / 100u;
}

// A write changes the time the system reports, also when the host's clock has not moved on
// since the write before (its file times advance in ticks of a few milliseconds).
void MarkWritten(const fs::path& host, std::uint64_t ticksBefore) {
  if (ticksBefore == 0 || WriteTicks(host) > ticksBefore) return;
  const std::uint64_t since1970 = ticksBefore + 1 - kTicksFrom1601To1970;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(since1970 / 10000000u);
  times[1].tv_nsec = static_cast<long>(since1970 % 10000000u) * 100;
  ::utimensat(AT_FDCWD, host.c_str(), times, 0);
}

// Writes the bytes to an open file, as many as the drive has room for; the disk-full reason when
// not all of them fit. oldSize is what the file held before, size what it grows by.
void WriteWithin(std::FILE* file, const AnsiString& path, std::uint64_t oldSize, const void* data,
                 std::size_t size) {
  const std::uint64_t granted = Files().GrantFileSize(path, oldSize, oldSize + size);
  const std::size_t fits = static_cast<std::size_t>(granted - std::min(granted, oldSize));
  if (fits > 0 && std::fwrite(data, 1, fits, file) != fits)
    ThrowCannotCreate(path, ReasonOfErrno(errno));
  if (std::fflush(file) != 0) ThrowCannotCreate(path, ReasonOfErrno(errno));
  if (fits < size) ThrowCannotCreate(path, sim::reason::kDiskFull);
}

bool OnSameDrive(const AnsiString& first, const AnsiString& second) {
  const auto drive = [](const AnsiString& path) {
    const bool lettered = path.size() >= 2 && path[1] == ':';
    return lettered ? static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))) : 'C';
  };
  return drive(first) == drive(second);
}

}  // namespace

AnsiString WindowsDirectory() {
  // GetWindowsDirectoryA with the size 255: a longer folder does not fit and gives nothing.
  AnsiString folder = Files().WindowsFolder();
  return folder.size() < 255 ? folder : AnsiString();
}

bool DirectoryExists(const AnsiString& path) { return IsDirectory(Host(path)); }

bool FileExists(const AnsiString& path) { return IsFile(Host(path)); }

bool IsLink(const AnsiString& path) {
  const fs::path host = Host(path);
  std::error_code error;
  return !host.empty() && fs::is_symlink(fs::symlink_status(host, error));
}

bool PassesThroughLink(const AnsiString& path) {
  const fs::path host = Host(path);
  if (host.empty()) return false;
  std::error_code error;
  // From the drive's folder down: the machine's own folders above it are no part of the path.
  for (fs::path at = host; !at.empty() && at != at.root_path(); at = at.parent_path()) {
    if (fs::is_symlink(fs::symlink_status(at, error))) return true;
    if (Files().HostPath(path.substr(0, 3)) == at) break;
  }
  return false;
}

bool IsFileInUse(const AnsiString& path) {
  const fs::path host = Host(path);
  return IsFile(host) && Files().IsLocked(host);
}

bool CreateDirectory(const AnsiString& path) {
  const fs::path host = Host(path);
  if (host.empty() || !IsDirectory(host.parent_path()) || Files().OnDisc(path)) return false;
  std::error_code error;
  return fs::create_directory(host, error) && !error;
}

bool ForceDirectories(const AnsiString& path) {
  const fs::path host = Host(path);
  if (host.empty()) return false;
  std::error_code error;
  if (!Files().OnDisc(path)) fs::create_directories(host, error);
  return IsDirectory(host);
}

bool DeleteFile(const AnsiString& path) {
  const fs::path host = Host(path);
  if (!IsFile(host) || Files().IsLocked(host) || Files().OnDisc(path)) return false;
  if (Files().FileAttributes(host) & sim::kReadOnly) return false;
  const std::uint64_t size = SizeOf(host);
  std::error_code error;
  if (!fs::remove(host, error) || error) return false;
  Files().ForgetFileAttributes(host);
  Files().GrantFileSize(path, size, 0);
  return true;
}

bool DeleteAtRestart(const AnsiString& path) {
  const fs::path host = Host(path);
  std::error_code error;
  if (host.empty() || !fs::exists(host, error)) return false;
  Files().ScheduleDeletionAtRestart(path);
  return true;
}

std::optional<AnsiString> CreatePrivateFolder(const AnsiString& parent, AnsiString* reason) {
  const auto failed = [reason](const char* why) -> std::optional<AnsiString> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  sim::SimMachine& machine = sim::SimMachine::Current();
  if (machine.Files().PrivateFoldersRefused()) return failed(sim::reason::kAccessDenied);
  if (!IsDirectory(Host(parent))) return failed(sim::reason::kPathNotFound);
  if (Files().OnDisc(parent)) return failed(sim::reason::kAccessDenied);
  // A name someone made first (a folder, a file, a link) is passed over, never taken over.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const AnsiString folder = parent + "\\" + machine.Files().TakePrivateFolderName();
    const fs::path host = Host(folder);
    std::error_code error;
    if (fs::exists(fs::symlink_status(host, error))) continue;
    if (!fs::create_directory(host, error) || error) return failed(sim::reason::kAccessDenied);
    machine.Files().RecordPrivateFolder(folder);
    return folder;
  }
  return failed(sim::reason::kFileExists);
}

bool RemoveDirectory(const AnsiString& path) {
  const fs::path host = Host(path);
  std::error_code error;
  if (!IsDirectory(host) || Files().OnDisc(path) || !fs::is_empty(host, error) ||
      !fs::remove(host, error) || error) {
    return false;
  }
  Files().ForgetFolder(host);
  return true;
}

namespace {

// A file opened for writing from its start as WriteWholeFile opens it, once the write is
// counted, and the time of the last write to what stood there (0 when nothing did).
struct TruncatedFile {
  UniqueFile file;
  std::uint64_t ticksBefore = 0;
};

TruncatedFile OpenTruncated(const AnsiString& path) {
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeOpening(path, host, false);
  TruncatedFile opened;
  const std::uint64_t oldSize = SizeOf(host);
  opened.ticksBefore = IsFile(host) ? WriteTicks(host) : 0;
  if (reason.empty()) {
    // A file made anew has no marks.
    if (!IsFile(host)) Files().ForgetFileAttributes(host);
    opened.file.reset(std::fopen(host.c_str(), "wb"));
    if (!opened.file) reason = ReasonOfErrno(errno);
  }
  if (!opened.file) ThrowCannotCreate(path, reason);
  // Truncated: its old bytes are free again.
  Files().GrantFileSize(path, oldSize, 0);
  return opened;
}

// Counts the write, and for a file that must be new refuses whatever stands at the path, a link
// to anywhere included: it is left alone.
void CountWrite(const AnsiString& path, FileWriter::Creation creation) {
  if (Files().CountFileWrite(path)) ThrowCannotCreate(path, sim::reason::kAccessDenied);
  if (creation == FileWriter::Creation::kReplace) return;
  const fs::path host = Host(path);
  std::error_code error;
  if (!host.empty() && fs::exists(fs::symlink_status(host, error))) {
    ThrowCannotCreate(path, sim::reason::kFileExists);
  }
}

void WriteFileWhole(const AnsiString& path, const void* data, std::size_t size,
                    FileWriter::Creation creation) {
  CountWrite(path, creation);
  const TruncatedFile opened = OpenTruncated(path);
  const fs::path host = Host(path);
  const auto written = MakeScopeExit([&host, &opened] { MarkWritten(host, opened.ticksBefore); });
  WriteWithin(opened.file.get(), path, 0, data, size);
}

}  // namespace

void WriteNewFile(const AnsiString& path, const void* data, std::size_t size) {
  WriteFileWhole(path, data, size, FileWriter::Creation::kNew);
}

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  WriteFileWhole(path, data, size, FileWriter::Creation::kReplace);
}

// One write counted for the whole file, as WriteWholeFile counts it; each piece is granted room
// on the drive as it comes.
struct FileWriter::Handle {
  TruncatedFile opened;
  fs::path host;
  std::uint64_t written = 0;
};

FileWriter::FileWriter(const AnsiString& path, Creation creation) : path_(path) {
  CountWrite(path, creation);
  handle_ = std::make_unique<Handle>(Handle{OpenTruncated(path), Host(path)});
  MarkWritten(handle_->host, handle_->opened.ticksBefore);
}

FileWriter::~FileWriter() = default;

void FileWriter::Write(const void* data, std::size_t size) {
  const auto written =
      MakeScopeExit([this] { MarkWritten(handle_->host, handle_->opened.ticksBefore); });
  WriteWithin(handle_->opened.file.get(), path_, handle_->written, data, size);
  handle_->written += size;
}

std::optional<FileStamp> StampOf(const AnsiString& path) {
  const fs::path host = Host(path);
  if (!IsFile(host)) return std::nullopt;
  return FileStamp{SizeOf(host), WriteTicks(host)};
}

bool RenameFile(const AnsiString& from, const AnsiString& to, AnsiString* reason) {
  const auto failed = [reason](const char* why) {
    if (reason) *reason = why;
    return false;
  };
  const fs::path source = Host(from);
  const fs::path target = Host(to);
  std::error_code error;
  if ((source.empty() && Files().MediumMissing(from)) ||
      (target.empty() && Files().MediumMissing(to)))
    return failed(sim::reason::kNotReady);
  if (source.empty() || !IsDirectory(source.parent_path()))
    return failed(sim::reason::kPathNotFound);
  if (!fs::exists(fs::symlink_status(source, error))) return failed(sim::reason::kFileNotFound);
  if (!OnSameDrive(from, to)) return failed(sim::reason::kNotSameDevice);
  if (target.empty() || !IsDirectory(target.parent_path()))
    return failed(sim::reason::kPathNotFound);
  if (fs::exists(fs::symlink_status(target, error))) return failed(sim::reason::kAlreadyExists);
  if (Files().OnDisc(from)) return failed(sim::reason::kAccessDenied);
  if (Files().IsLocked(source)) return failed(sim::reason::kSharingViolation);
  fs::rename(source, target, error);
  if (error) return failed(ReasonOfErrno(error.value()).c_str());
  Files().MoveFileAttributes(source, target);
  Files().ForgetFolder(source);
  return true;
}

void AppendToFile(const AnsiString& path, const void* data, std::size_t size) {
  if (Files().CountFileWrite(path)) ThrowCannotCreate(path, sim::reason::kAccessDenied);
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeWritingInPlace(path, host);
  UniqueFile file;
  const std::uint64_t oldSize = SizeOf(host);
  const std::uint64_t ticksBefore = IsFile(host) ? WriteTicks(host) : 0;
  if (reason.empty()) {
    if (!IsFile(host)) Files().ForgetFileAttributes(host);
    file.reset(std::fopen(host.c_str(), "ab"));
    if (!file) reason = ReasonOfErrno(errno);
  }
  if (!file) ThrowCannotCreate(path, reason);
  const auto written = MakeScopeExit([&host, ticksBefore] { MarkWritten(host, ticksBefore); });
  WriteWithin(file.get(), path, oldSize, data, size);
}

void ReplaceFileAtomically(const AnsiString& path, const void* data, std::size_t size) {
  if (Files().CountFileWrite(path)) ThrowCannotCreate(path, sim::reason::kAccessDenied);
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeWritingInPlace(path, host);
  if (!reason.empty()) ThrowCannotCreate(path, reason);
  // Beside the file, so the rename stays on its drive; a name nothing else uses.
  const AnsiString fresh = path + "." + Files().TakeTemporaryName() + ".new";
  const fs::path freshHost = Host(fresh);
  const std::uint64_t ticksBefore = IsFile(host) ? WriteTicks(host) : 0;
  auto removeFresh = MakeScopeExit([&freshHost, &fresh] {
    const std::uint64_t size = SizeOf(freshHost);
    std::error_code ignored;
    if (fs::remove(freshHost, ignored)) Files().GrantFileSize(fresh, size, 0);
  });
  {
    UniqueFile file(std::fopen(freshHost.c_str(), "wbx"));
    if (!file) ThrowCannotCreate(path, ReasonOfErrno(errno));
    WriteWithin(file.get(), path, 0, data, size);
  }
  const std::uint64_t oldSize = SizeOf(host);
  std::error_code error;
  fs::rename(freshHost, host, error);
  if (error) ThrowCannotCreate(path, ReasonOfErrno(error.value()));
  removeFresh.Dismiss();
  Files().GrantFileSize(path, oldSize, 0);
  Files().ForgetFileAttributes(host);
  MarkWritten(host, ticksBefore);
}

bool EnsureAdministratorsFolder(const AnsiString& folder, AnsiString* reason) {
  const auto refused = [reason](const char* why) {
    if (reason) *reason = why;
    return false;
  };
  const fs::path host = Host(folder);
  std::error_code error;
  if (host.empty() && Files().MediumMissing(folder)) return refused(sim::reason::kNotReady);
  if (host.empty() || !IsDirectory(host.parent_path())) return refused(sim::reason::kPathNotFound);
  if (!fs::exists(fs::symlink_status(host, error))) {
    // Setting Administrators as the owner takes an elevated program.
    if (Files().OnDisc(folder) || Files().PrivateFoldersRefused()) {
      return refused(sim::reason::kAccessDenied);
    }
    if (!fs::create_directory(host, error) || error) return refused(sim::reason::kAccessDenied);
    Files().RecordAdministratorsFolder(folder);
    return true;
  }
  if (fs::is_symlink(fs::symlink_status(host, error))) return refused("the folder is a link");
  if (!IsDirectory(host)) return refused("a file stands where the folder should be");
  // A folder this machine did not make so is one a standard user could have made first.
  if (!Files().IsAdministratorsFolder(folder)) {
    return refused("the folder's owner is not Administrators or SYSTEM");
  }
  return true;
}

void MakeReplaceable(const AnsiString& path) {
  const fs::path host = Host(path);
  const unsigned attributes = Files().FileAttributes(host);
  if (attributes == 0) return;
  Files().SetFileAttributes(path, attributes & ~(sim::kReadOnly | sim::kHidden | sim::kSystem));
}

namespace {

UniqueFile OpenForReading(const AnsiString& path) {
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeOpening(path, host, true);
  UniqueFile file;
  if (reason.empty()) {
    file.reset(std::fopen(host.c_str(), "rb"));
    if (!file) reason = ReasonOfErrno(errno);
  }
  if (!file) throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), reason.c_str()));
  return file;
}

std::size_t ReadSome(std::FILE* file, void* buffer, std::size_t size) {
  const std::size_t got = std::fread(buffer, 1, size, file);
  if (std::ferror(file)) throw Exception("Stream read error");
  return got;
}

}  // namespace

AnsiString ReadWholeFile(const AnsiString& path) {
  const UniqueFile file = OpenForReading(path);
  AnsiString content;
  char buffer[65536];
  while (const std::size_t got = ReadSome(file.get(), buffer, sizeof buffer)) {
    content.append(buffer, got);
  }
  return content;
}

// The simulated machine keeps no handle: each line is appended as AppendToFile does, with the
// drive's space and the test's write failures counted the same way.
struct FileAppender::Handle {};

FileAppender::FileAppender(const AnsiString& path) : path_(path) { AppendToFile(path, "", 0); }

FileAppender::~FileAppender() = default;

void FileAppender::Append(const void* data, std::size_t size) { AppendToFile(path_, data, size); }

struct FileReader::Handle {
  UniqueFile file;
};

FileReader::FileReader(const AnsiString& path)
    : handle_(std::make_unique<Handle>(Handle{OpenForReading(path)})) {}

FileReader::~FileReader() = default;

std::size_t FileReader::Read(void* buffer, std::size_t size) {
  return ReadSome(handle_->file.get(), buffer, size);
}

}  // namespace platform
