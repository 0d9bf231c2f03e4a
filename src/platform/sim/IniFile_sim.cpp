// The profile-string functions of the simulated machine: the file's bytes come from and go to
// the host folder the drive is mapped to; the rules are IniText's, shared with the win32 back end.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "platform/IniFile.h"
#include "platform/IniText.h"
#include "platform/sim/SimMachine.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// The file's bytes; nothing when it is missing, not a file or locked.
std::optional<AnsiString> ReadFile(const fs::path& host) {
  std::error_code error;
  if (host.empty() || !fs::is_regular_file(host, error)) return std::nullopt;
  if (sim::SimMachine::Current().Files().IsLocked(host)) return std::nullopt;
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  return AnsiString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue) {
  const auto content = ReadFile(sim::SimMachine::Current().Files().HostPath(file));
  return ini::ReadValue(content.value_or(AnsiString()), section, key, defaultValue);
}

bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value) {
  const fs::path host = sim::SimMachine::Current().Files().HostPath(file);
  std::error_code error;
  if (host.empty() || !fs::is_directory(host.parent_path(), error) ||
      sim::SimMachine::Current().Files().IsLocked(host) || fs::is_directory(host, error)) {
    return false;
  }
  const AnsiString content =
      ini::WithValue(ReadFile(host).value_or(AnsiString()), section, key, value);
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace platform
