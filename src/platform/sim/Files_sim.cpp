#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "platform/Errors.h"
#include "platform/Files.h"
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

}  // namespace

AnsiString WindowsDirectory() {
  // GetWindowsDirectoryA with the size 255: a longer folder does not fit and gives nothing.
  AnsiString folder = Files().WindowsFolder();
  return folder.size() < 255 ? folder : AnsiString();
}

bool DirectoryExists(const AnsiString& path) { return IsDirectory(Host(path)); }

bool FileExists(const AnsiString& path) { return IsFile(Host(path)); }

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
  std::error_code error;
  if (!fs::remove(host, error) || error) return false;
  Files().ForgetFileAttributes(host);
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
  return IsDirectory(host) && !Files().OnDisc(path) && fs::is_empty(host, error) &&
         fs::remove(host, error) && !error;
}

void WriteNewFile(const AnsiString& path, const void* data, std::size_t size) {
  const fs::path host = Host(path);
  std::error_code error;
  // Whatever stands at the path, a link to anywhere included, is left alone.
  if (!host.empty() && fs::exists(fs::symlink_status(host, error))) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", path.c_str(), sim::reason::kFileExists));
  }
  WriteWholeFile(path, data, size);
}

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeOpening(path, host, false);
  UniqueFile file;
  if (reason.empty()) {
    // A file made anew has no marks.
    if (!IsFile(host)) Files().ForgetFileAttributes(host);
    file.reset(std::fopen(host.c_str(), "wb"));
    if (!file) reason = ReasonOfErrno(errno);
  }
  if (!file)
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(), reason.c_str()));
  if (size > 0 && std::fwrite(data, 1, size, file.get()) != size) {
    throw Exception("Stream write error");
  }
  if (std::fflush(file.get()) != 0) throw Exception("Stream write error");
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
