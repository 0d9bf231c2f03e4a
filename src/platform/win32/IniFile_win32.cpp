// The profile-string functions on Windows: the file's bytes through the wide file functions,
// the rules of IniText. GetPrivateProfileStringW would decode a file without a byte order mark
// with the system's code page, which is not 936 on every system.
#include "platform/IniFile.h"

#include <limits>
#include <optional>

#include "platform/IniText.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// Everything from the file pointer to the end; nothing when a read fails.
std::optional<AnsiString> ReadToEnd(HANDLE file) {
  AnsiString content;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, chunk, sizeof(chunk), &got, nullptr)) return std::nullopt;
    if (got == 0) return content;
    content.append(chunk, got);
  }
}

// Replaces the whole content of a file opened for reading and writing.
bool Rewrite(HANDLE file, const AnsiString& content) {
  if (content.size() > std::numeric_limits<DWORD>::max()) return false;
  LARGE_INTEGER start = {};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  DWORD written = 0;
  if (!content.empty() &&
      (!::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
       written != content.size())) {
    return false;
  }
  return ::SetEndOfFile(file) != FALSE;
}

}  // namespace

AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue) {
  // Others may read and write the file meanwhile, as with the system's reader.
  const win32::UniqueFileHandle handle(
      ::CreateFileW(win32::Wide(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::optional<AnsiString> content;
  if (handle) content = ReadToEnd(handle.Get());
  return ini::ReadValue(content.value_or(AnsiString()), section, key, defaultValue);
}

bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value) {
  // One handle, shared with nobody, from reading the old content to the end of the new: no
  // reader sees half a file and no other writer's change is lost in between.
  const win32::UniqueFileHandle handle(::CreateFileW(win32::Wide(file).c_str(),
                                                     GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return false;
  const std::optional<AnsiString> content = ReadToEnd(handle.Get());
  if (!content) return false;
  return Rewrite(handle.Get(), ini::WithValue(*content, section, key, value));
}

}  // namespace platform
