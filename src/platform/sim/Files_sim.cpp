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

fs::path Host(const AnsiString& path) { return sim::SimMachine::Current().HostPath(path); }

bool IsDirectory(const fs::path& host) {
  std::error_code error;
  return !host.empty() && fs::is_directory(host, error);
}

bool IsFile(const fs::path& host) {
  std::error_code error;
  return !host.empty() && fs::exists(host, error) && !fs::is_directory(host, error);
}

// Why host cannot be opened, in the system's words; empty when nothing speaks against it.
AnsiString ReasonBeforeOpening(const fs::path& host, bool forReading) {
  if (host.empty() || !IsDirectory(host.parent_path())) return sim::reason::kPathNotFound;
  if (IsDirectory(host)) return sim::reason::kAccessDenied;
  if (sim::SimMachine::Current().IsLocked(host)) return sim::reason::kSharingViolation;
  if (forReading && !IsFile(host)) return sim::reason::kFileNotFound;
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
  AnsiString folder = sim::SimMachine::Current().WindowsFolder();
  return folder.size() < 255 ? folder : AnsiString();
}

bool DirectoryExists(const AnsiString& path) { return IsDirectory(Host(path)); }

bool FileExists(const AnsiString& path) { return IsFile(Host(path)); }

bool CreateDirectory(const AnsiString& path) {
  const fs::path host = Host(path);
  if (host.empty() || !IsDirectory(host.parent_path())) return false;
  std::error_code error;
  return fs::create_directory(host, error) && !error;
}

bool ForceDirectories(const AnsiString& path) {
  const fs::path host = Host(path);
  if (host.empty()) return false;
  std::error_code error;
  fs::create_directories(host, error);
  return IsDirectory(host);
}

bool DeleteFile(const AnsiString& path) {
  const fs::path host = Host(path);
  if (!IsFile(host) || sim::SimMachine::Current().IsLocked(host)) return false;
  std::error_code error;
  return fs::remove(host, error) && !error;
}

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeOpening(host, false);
  UniqueFile file;
  if (reason.empty()) {
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

AnsiString ReadWholeFile(const AnsiString& path) {
  const fs::path host = Host(path);
  AnsiString reason = ReasonBeforeOpening(host, true);
  UniqueFile file;
  if (reason.empty()) {
    file.reset(std::fopen(host.c_str(), "rb"));
    if (!file) reason = ReasonOfErrno(errno);
  }
  if (!file) throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), reason.c_str()));
  AnsiString content;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  if (std::ferror(file.get())) throw Exception("Stream read error");
  return content;
}

}  // namespace platform
