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

fs::path Host(const AnsiString& path) { return sim::SimMachine::Current().Files().HostPath(path); }

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
  if (sim::SimMachine::Current().Files().IsLocked(host)) return sim::reason::kSharingViolation;
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
  AnsiString folder = sim::SimMachine::Current().Files().WindowsFolder();
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
  if (!IsFile(host) || sim::SimMachine::Current().Files().IsLocked(host)) return false;
  std::error_code error;
  return fs::remove(host, error) && !error;
}

std::optional<AnsiString> CreatePrivateFolder(const AnsiString& parent, AnsiString* reason) {
  const auto failed = [reason](const char* why) -> std::optional<AnsiString> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  sim::SimMachine& machine = sim::SimMachine::Current();
  if (machine.Files().PrivateFoldersRefused()) return failed(sim::reason::kAccessDenied);
  if (!IsDirectory(Host(parent))) return failed(sim::reason::kPathNotFound);
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
  return IsDirectory(host) && fs::is_empty(host, error) && fs::remove(host, error) && !error;
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
