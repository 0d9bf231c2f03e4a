#include "platform/Files.h"

#include <limits>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

AnsiString WithoutTrailingBackslash(AnsiString path) {
  while (!path.empty() && LastDelimiter(path, "\\") == path.size() - 1) path.pop_back();
  return path;
}

// The folder that holds path: everything before its last backslash, or "" when it has none.
AnsiString ParentFolder(const AnsiString& path) {
  const std::size_t slash = LastDelimiter(path, "\\");
  return slash == AnsiString::npos ? AnsiString() : path.substr(0, slash);
}

DWORD Attributes(const AnsiString& path) { return ::GetFileAttributesW(win32::Wide(path).c_str()); }

// The program's Windows folder buffer holds 255 bytes with the final NUL.
constexpr std::size_t kWindowsDirectoryLimit = 254;

}  // namespace

AnsiString WindowsDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return AnsiString();
  const AnsiString folder = win32::Narrow(std::wstring_view(buffer, length));
  // A folder too long for the buffer gives nothing, as a too small buffer does.
  return folder.size() > kWindowsDirectoryLimit ? AnsiString() : folder;
}

bool DirectoryExists(const AnsiString& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const AnsiString& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CreateDirectory(const AnsiString& path) {
  return ::CreateDirectoryW(win32::Wide(path).c_str(), nullptr) != FALSE;
}

bool ForceDirectories(const AnsiString& path) {
  const AnsiString folder = WithoutTrailingBackslash(path);
  if (folder.empty()) return false;
  // A drive ("C:") or a folder that is there already ends the walk up.
  if (folder.size() < 3 || DirectoryExists(folder)) return DirectoryExists(folder);
  const AnsiString parent = ParentFolder(folder);
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  CreateDirectory(folder);
  return DirectoryExists(folder);
}

bool DeleteFile(const AnsiString& path) {
  return ::DeleteFileW(win32::Wide(path).c_str()) != FALSE;
}

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(),
                               win32::SystemErrorMessage(error).c_str()));
  }
  if (size == 0) return;
  DWORD written = 0;
  if (size > std::numeric_limits<DWORD>::max() ||
      !::WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) ||
      written != size) {
    throw Exception("Stream write error");
  }
}

AnsiString ReadWholeFile(const AnsiString& path) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(),
                             win32::SystemErrorMessage(error).c_str()));
  }
  AnsiString content;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) {
      throw Exception("Stream read error");
    }
    if (got == 0) break;
    content.append(chunk, got);
  }
  return content;
}

}  // namespace platform
