#include "support/DriveSnapshot.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "platform/Files.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace support {

DriveSnapshot SnapshotOfDrive(char letter) {
  sim::SimFileSystem& files = sim::SimMachine::Current().Files();
  const fs::path root = files.HostPath(AnsiString(1, letter) + ":\\");
  if (root.empty()) throw std::logic_error(std::string("drive ") + letter + ": is not mapped");
  DriveSnapshot snapshot;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    DriveEntry& taken = snapshot.entries[entry.path().lexically_relative(root).generic_string()];
    taken.folder = entry.is_directory();
    if (taken.folder) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    taken.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    taken.marks = files.FileAttributes(entry.path());
  }
  return snapshot;
}

std::string DifferencesBetween(const DriveSnapshot& before, const DriveSnapshot& after) {
  std::string differences;
  for (const auto& [path, entry] : before.entries) {
    const auto now = after.entries.find(path);
    if (now == after.entries.end()) {
      differences += "removed: " + path + "\n";
    } else if (now->second != entry) {
      differences += "changed: " + path + "\n";
    }
  }
  for (const auto& [path, entry] : after.entries) {
    if (!before.entries.count(path)) differences += "added: " + path + "\n";
  }
  return differences;
}

void ChangeFileAsTheUser(const AnsiString& windowsPath, const std::string& bytes) {
  const fs::path host = sim::SimMachine::Current().Files().HostPath(windowsPath);
  if (host.empty()) throw std::logic_error("no drive for the file to change");
  const std::optional<platform::FileStamp> before = platform::StampOf(windowsPath);
  fs::create_directories(host.parent_path());
  {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write the test's file");
  }
  while (before && platform::StampOf(windowsPath)->writeTime <= before->writeTime) {
    fs::last_write_time(host, fs::last_write_time(host) + std::chrono::microseconds(1));
  }
}

}  // namespace support
