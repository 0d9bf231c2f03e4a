#include "platform/Files.h"

#include <limits>

#include "platform/Errors.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

// Position of the last byte c that is a character of its own (not the trail byte of a CP936
// character), or npos.
std::size_t LastSingleByte(const AnsiString& text, char c) {
  std::size_t found = AnsiString::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i])) {
      ++i;
    } else if (text[i] == c) {
      found = i;
    }
  }
  return found;
}

AnsiString WithoutTrailingBackslash(AnsiString path) {
  while (!path.empty() && LastSingleByte(path, '\\') == path.size() - 1) path.pop_back();
  return path;
}

// The folder that holds path: everything before its last backslash, or "" when it has none.
AnsiString ParentFolder(const AnsiString& path) {
  const std::size_t slash = LastSingleByte(path, '\\');
  return slash == AnsiString::npos ? AnsiString() : path.substr(0, slash);
}

DWORD Attributes(const AnsiString& path) { return ::GetFileAttributesA(path.c_str()); }

}  // namespace

AnsiString WindowsDirectory() {
  char buffer[256] = {};
  ::GetWindowsDirectoryA(buffer, 255);
  return AnsiString(buffer);
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
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool ForceDirectories(const AnsiString& path) {
  const AnsiString folder = WithoutTrailingBackslash(path);
  if (folder.empty()) return false;
  // A drive ("C:") or a folder that is there already ends the walk up.
  if (folder.size() < 3 || DirectoryExists(folder)) return DirectoryExists(folder);
  const AnsiString parent = ParentFolder(folder);
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return DirectoryExists(folder);
}

bool DeleteFile(const AnsiString& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
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
  win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
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
