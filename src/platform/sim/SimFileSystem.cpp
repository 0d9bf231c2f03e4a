#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/sim/Utf8.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

// Splits a Windows path into its components at '\' and '/'; a trail byte of a double-byte
// character is never taken for a separator.
std::vector<AnsiString> SplitComponents(const AnsiString& path) {
  std::vector<AnsiString> parts;
  AnsiString part;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsLeadByte(c) && i + 1 < path.size()) {
      part += c;
      part += path[++i];
    } else if (c == '\\' || c == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// Windows drops trailing dots and spaces of a path component.
AnsiString TrimComponent(AnsiString part) {
  if (part == "." || part == "..") return part;
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
  return part;
}

// The existing entry of folder whose name equals name without regard to ASCII case.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return std::nullopt;
  std::optional<fs::path> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (entry == name) return it->path();
    if (!found && SameTextAscii(entry, name)) found = it->path();
  }
  return found;
}

char UpperLetter(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

bool HasDriveLetter(const AnsiString& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// A name that looks random: the sequence number through a 64-bit mix.
AnsiString PrivateFolderName(std::uint64_t number) {
  std::uint64_t x = number + 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return Format("KorvSetup-%08X%08X", static_cast<unsigned>(x >> 32),
                static_cast<unsigned>(x & 0xFFFFFFFFu));
}

}  // namespace

// ---------------------------------------------------------------- drives

void SimFileSystem::MapDrive(char letter, const fs::path& hostFolder) {
  fs::create_directories(hostFolder);
  std::lock_guard<std::mutex> lock(mutex_);
  Drive drive;
  drive.host = hostFolder;
  drives_[UpperLetter(letter)] = drive;
}

void SimFileSystem::UnmapDrive(char letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_.erase(UpperLetter(letter));
}

SimFileSystem::Drive& SimFileSystem::MappedDrive(char letter) {
  const auto drive = drives_.find(UpperLetter(letter));
  if (drive == drives_.end()) {
    throw std::logic_error(std::string("drive ") + UpperLetter(letter) + ": is not mapped");
  }
  return drive->second;
}

void SimFileSystem::SetDriveSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  Drive& drive = MappedDrive(letter);
  drive.totalBytes = totalBytes;
  drive.freeBytes = freeBytes;
}

void SimFileSystem::SetDriveSpaceUnknown(char letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  MappedDrive(letter).spaceKnown = false;
}

void SimFileSystem::SetDriveType(char letter, DriveType type) {
  std::lock_guard<std::mutex> lock(mutex_);
  Drive& drive = MappedDrive(letter);
  drive.type = type;
  drive.medium = true;
}

void SimFileSystem::SetDriveMedium(char letter, bool present) {
  std::lock_guard<std::mutex> lock(mutex_);
  Drive& drive = MappedDrive(letter);
  if (drive.type != DriveType::Removable && drive.type != DriveType::Optical) {
    throw std::logic_error(std::string("drive ") + UpperLetter(letter) +
                           ": takes no medium; make it removable or a disc drive first");
  }
  drive.medium = present;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> SimFileSystem::DriveSpace(
    char letter) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto drive = drives_.find(UpperLetter(letter));
  if (drive == drives_.end() || !drive->second.Ready() || !drive->second.spaceKnown) {
    return std::nullopt;
  }
  const bool disc = drive->second.type == DriveType::Optical;
  return std::make_pair(drive->second.totalBytes, disc ? 0 : drive->second.freeBytes);
}

std::vector<char> SimFileSystem::DriveLetters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<char> letters;
  for (const auto& drive : drives_) letters.push_back(drive.first);
  return letters;
}

// ---------------------------------------------------------------- paths and files

fs::path SimFileSystem::HostPath(const AnsiString& windowsPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return HostPathLocked(windowsPath);
}

bool SimFileSystem::MediumMissing(const AnsiString& windowsPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* drive = DriveOfLocked(windowsPath);
  return drive && !drive->medium;
}

bool SimFileSystem::OnDisc(const AnsiString& windowsPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* drive = DriveOfLocked(windowsPath);
  return drive && drive->type == DriveType::Optical;
}

const SimFileSystem::Drive* SimFileSystem::DriveOfLocked(const AnsiString& windowsPath) const {
  const auto drive = drives_.find(HasDriveLetter(windowsPath) ? UpperLetter(windowsPath[0]) : 'C');
  return drive == drives_.end() ? nullptr : &drive->second;
}

fs::path SimFileSystem::HostPathLocked(const AnsiString& windowsPath) const {
  if (windowsPath.empty()) return {};
  const Drive* drive = DriveOfLocked(windowsPath);
  if (!drive || !drive->Ready()) return {};
  // A path without a drive is taken on the current drive, C:.
  const AnsiString rest = HasDriveLetter(windowsPath) ? windowsPath.substr(2) : windowsPath;

  const fs::path root = drive->host;
  std::vector<std::string> names;  // host names below the drive folder
  for (const AnsiString& raw : SplitComponents(rest)) {
    const AnsiString part = TrimComponent(raw);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    const std::string hostName = Utf8(part);
    fs::path folder = root;
    for (const auto& name : names) folder /= name;
    const auto existing = FindEntry(folder, hostName);
    names.push_back(existing ? existing->filename().string() : hostName);
  }
  fs::path result = root;
  for (const auto& name : names) result /= name;
  return result;
}

AnsiString SimFileSystem::WindowsFolder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windowsFolder_;
}

void SimFileSystem::SetWindowsFolder(const AnsiString& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  windowsFolder_ = path;
}

void SimFileSystem::SetFileAttributes(const AnsiString& windowsPath, unsigned attributes) {
  std::lock_guard<std::mutex> lock(mutex_);
  const fs::path host = HostPathLocked(windowsPath);
  std::error_code error;
  if (host.empty() || !fs::is_regular_file(host, error)) {
    throw std::logic_error("no file to mark at " + Utf8(windowsPath));
  }
  fileAttributes_[host] = attributes;
}

unsigned SimFileSystem::FileAttributes(const fs::path& hostPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = fileAttributes_.find(hostPath);
  std::error_code error;
  // Marks stay with the file: one a test removed behind the machine's back takes them along.
  if (found == fileAttributes_.end() || !fs::is_regular_file(hostPath, error)) return 0;
  return found->second;
}

void SimFileSystem::ForgetFileAttributes(const fs::path& hostPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  fileAttributes_.erase(hostPath);
}

void SimFileSystem::LockFile(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  lockedFiles_.push_back(HostPathLocked(windowsPath));
}

bool SimFileSystem::IsLocked(const fs::path& hostPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(lockedFiles_.begin(), lockedFiles_.end(), hostPath) != lockedFiles_.end();
}

void SimFileSystem::ScheduleDeletionAtRestart(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  deletionsAtRestart_.push_back(windowsPath);
}

std::vector<AnsiString> SimFileSystem::DeletionsAtRestart() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deletionsAtRestart_;
}

// ---------------------------------------------------------------- private folders

AnsiString SimFileSystem::PeekPrivateFolderName() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return PrivateFolderName(privateFolderNames_);
}

AnsiString SimFileSystem::TakePrivateFolderName() {
  std::lock_guard<std::mutex> lock(mutex_);
  return PrivateFolderName(privateFolderNames_++);
}

void SimFileSystem::RecordPrivateFolder(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  privateFolders_.push_back(windowsPath);
  trustedFolders_.push_back(HostPathLocked(windowsPath));
}

std::vector<AnsiString> SimFileSystem::PrivateFolders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return privateFolders_;
}

void SimFileSystem::SetPrivateFoldersRefused(bool refused) {
  std::lock_guard<std::mutex> lock(mutex_);
  privateFoldersRefused_ = refused;
}

bool SimFileSystem::PrivateFoldersRefused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return privateFoldersRefused_;
}

// ---------------------------------------------------------------- space

std::uint64_t SimFileSystem::GrantFileSize(const AnsiString& windowsPath, std::uint64_t oldSize,
                                           std::uint64_t wantedSize) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = drives_.find(HasDriveLetter(windowsPath) ? UpperLetter(windowsPath[0]) : 'C');
  if (found == drives_.end() || found->second.type == DriveType::Optical) return wantedSize;
  Drive& drive = found->second;
  drive.freeBytes = std::min(drive.totalBytes, drive.freeBytes + oldSize);
  const std::uint64_t granted = std::min(wantedSize, drive.freeBytes);
  drive.freeBytes -= granted;
  return granted;
}

AnsiString SimFileSystem::TakeTemporaryName() {
  std::lock_guard<std::mutex> lock(mutex_);
  return Format("KorvNew-%llu", static_cast<unsigned long long>(++temporaryNames_));
}

// ---------------------------------------------------------------- writes that fail

void SimFileSystem::FailWritesTo(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  failingWrites_.push_back(HostPathLocked(windowsPath));
}

void SimFileSystem::FailWriteNumber(std::uint64_t n) {
  std::lock_guard<std::mutex> lock(mutex_);
  failingWriteNumber_ = n == 0 ? 0 : fileWrites_ + n;
}

void SimFileSystem::ClearWriteFailures() {
  std::lock_guard<std::mutex> lock(mutex_);
  failingWrites_.clear();
  failingWriteNumber_ = 0;
}

std::uint64_t SimFileSystem::FileWritesMade() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fileWrites_;
}

bool SimFileSystem::CountFileWrite(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++fileWrites_;
  const fs::path host = HostPathLocked(windowsPath);
  return fileWrites_ == failingWriteNumber_ ||
         (!host.empty() &&
          std::find(failingWrites_.begin(), failingWrites_.end(), host) != failingWrites_.end());
}

// ---------------------------------------------------------------- administrators' folders

void SimFileSystem::RecordAdministratorsFolder(const AnsiString& windowsPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  trustedFolders_.push_back(HostPathLocked(windowsPath));
}

bool SimFileSystem::IsAdministratorsFolder(const AnsiString& windowsPath) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const fs::path host = HostPathLocked(windowsPath);
  return !host.empty() &&
         std::find(trustedFolders_.begin(), trustedFolders_.end(), host) != trustedFolders_.end();
}

void SimFileSystem::ForgetFolder(const fs::path& hostPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  // What was inside goes with it.
  trustedFolders_.erase(std::remove_if(trustedFolders_.begin(), trustedFolders_.end(),
                                       [&hostPath](const fs::path& folder) {
                                         return std::mismatch(hostPath.begin(), hostPath.end(),
                                                              folder.begin(), folder.end())
                                                    .first == hostPath.end();
                                       }),
                        trustedFolders_.end());
}

void SimFileSystem::MoveFileAttributes(const fs::path& from, const fs::path& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = fileAttributes_.find(from);
  if (found == fileAttributes_.end()) return;
  const unsigned attributes = found->second;
  fileAttributes_.erase(found);
  fileAttributes_[to] = attributes;
}

}  // namespace sim
