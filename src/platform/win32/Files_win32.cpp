// rand_s, the C runtime's face of the system's random source.
#define _CRT_RAND_S
#include "platform/Files.h"

#include <stdlib.h>

#include <algorithm>
#include <limits>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/CriticalErrorBoxes.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <sddl.h>

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

// A path's attributes, INVALID_FILE_ATTRIBUTES when there is nothing. The path may be on any
// drive the user named, an empty removable or disc drive too: that one answers "not ready"
// without a box.
DWORD Attributes(const AnsiString& path) {
  const win32::CriticalErrorBoxesSuppressed quiet;
  return ::GetFileAttributesW(win32::Wide(path).c_str());
}

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

namespace {

// 64 bits from the system's random source, as 16 hex digits.
std::optional<AnsiString> RandomName() {
  unsigned int high = 0;
  unsigned int low = 0;
  if (rand_s(&high) != 0 || rand_s(&low) != 0) return std::nullopt;
  return Format("KorvSetup-%08X%08X", high, low);
}

struct LocalFreeTraits {
  using Type = PSECURITY_DESCRIPTOR;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::LocalFree(value); }
};

// Full control for Administrators and SYSTEM, inherited by what is made inside; nothing
// inherited from the shared parent.
constexpr wchar_t kPrivateFolderAccess[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

void WriteFileWith(const AnsiString& path, const void* data, std::size_t size, DWORD creation,
                   DWORD flags) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr, creation,
                                             FILE_ATTRIBUTE_NORMAL | flags, nullptr));
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

}  // namespace

std::optional<AnsiString> CreatePrivateFolder(const AnsiString& parent, AnsiString* reason) {
  const auto failed = [reason](DWORD error) -> std::optional<AnsiString> {
    if (reason) *reason = win32::SystemErrorMessage(error);
    return std::nullopt;
  };
  win32::UniqueResource<LocalFreeTraits> descriptor;
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateFolderAccess, SDDL_REVISION_1,
                                                              &made, nullptr)) {
    return failed(::GetLastError());
  }
  descriptor.Reset(made);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  // A name someone made first is passed over, never taken over.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::optional<AnsiString> name = RandomName();
    if (!name) return failed(ERROR_NOT_ENOUGH_MEMORY);
    const AnsiString folder = parent + "\\" + *name;
    if (::CreateDirectoryW(win32::Wide(folder).c_str(), &attributes)) return folder;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return failed(error);
  }
  return failed(ERROR_ALREADY_EXISTS);
}

bool RemoveDirectory(const AnsiString& path) {
  return ::RemoveDirectoryW(win32::Wide(path).c_str()) != FALSE;
}

void WriteNewFile(const AnsiString& path, const void* data, std::size_t size) {
  // A link standing at the path is not followed: creating new fails on it as on any file.
  WriteFileWith(path, data, size, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT);
}

void WriteWholeFile(const AnsiString& path, const void* data, std::size_t size) {
  WriteFileWith(path, data, size, CREATE_ALWAYS, 0);
}

void MakeReplaceable(const AnsiString& path) {
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !(attributes & kMarks)) {
    return;
  }
  const DWORD kept = attributes & ~kMarks;
  ::SetFileAttributesW(win32::Wide(path).c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
}

namespace {

// Opens an existing file for reading, letting others read and write it meanwhile.
win32::UniqueFileHandle OpenForReading(const AnsiString& path) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(),
                             win32::SystemErrorMessage(error).c_str()));
  }
  return file;
}

std::size_t ReadSome(HANDLE file, void* buffer, std::size_t size) {
  const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (!::ReadFile(file, buffer, asked, &got, nullptr)) throw Exception("Stream read error");
  return got;
}

}  // namespace

AnsiString ReadWholeFile(const AnsiString& path) {
  const win32::UniqueFileHandle file = OpenForReading(path);
  AnsiString content;
  char chunk[65536];
  while (const std::size_t got = ReadSome(file.Get(), chunk, sizeof(chunk))) {
    content.append(chunk, got);
  }
  return content;
}

struct FileReader::Handle {
  win32::UniqueFileHandle file;
};

FileReader::FileReader(const AnsiString& path)
    : handle_(std::make_unique<Handle>(Handle{OpenForReading(path)})) {}

FileReader::~FileReader() = default;

std::size_t FileReader::Read(void* buffer, std::size_t size) {
  return ReadSome(handle_->file.Get(), buffer, size);
}

}  // namespace platform
