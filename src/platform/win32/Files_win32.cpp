// rand_s, the C runtime's face of the system's random source.
#define _CRT_RAND_S
#include "platform/Files.h"

#include <stdlib.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/Errors.h"
#include "platform/ScopeExit.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/CriticalErrorBoxes.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <aclapi.h>
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

bool IsLink(const AnsiString& path) {
  const win32::CriticalErrorBoxesSuppressed quiet;
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool PassesThroughLink(const AnsiString& path) {
  const win32::CriticalErrorBoxesSuppressed quiet;
  // Each folder on the way and the item itself, at every backslash that is a character of its
  // own (a CP936 trail byte may be 0x5C).
  for (std::size_t at = 0; at <= path.size(); ++at) {
    if (at < path.size() && IsLeadByte(path[at])) {
      ++at;
      continue;
    }
    if (at < path.size() && path[at] != '\\') continue;
    const AnsiString prefix = path.substr(0, at);
    if (prefix.size() <= 2) continue;  // the drive itself
    if (IsLink(prefix)) return true;
  }
  return false;
}

bool IsFileInUse(const AnsiString& path) {
  const win32::CriticalErrorBoxesSuppressed quiet;
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ | DELETE, 0,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                             nullptr));
  if (file) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
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

[[noreturn]] void ThrowCannotCreate(const AnsiString& path, DWORD error) {
  throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(),
                             win32::SystemErrorMessage(error).c_str()));
}

win32::UniqueFileHandle OpenForWriting(const AnsiString& path, DWORD creation, DWORD flags) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr, creation,
                                             FILE_ATTRIBUTE_NORMAL | flags, nullptr));
  if (!file) ThrowCannotCreate(path, ::GetLastError());
  return file;
}

// Writes every byte; a write the system takes only in part (the disk full) is its failure too.
// What did fit stays in the file, as the system leaves it.
void WriteAll(HANDLE file, const AnsiString& path, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes, chunk, &written, nullptr))
      ThrowCannotCreate(path, ::GetLastError());
    if (written == 0) ThrowCannotCreate(path, ERROR_DISK_FULL);
    bytes += written;
    size -= written;
  }
}

void Flush(HANDLE file, const AnsiString& path) {
  if (!::FlushFileBuffers(file)) ThrowCannotCreate(path, ::GetLastError());
}

void WriteFileWith(const AnsiString& path, const void* data, std::size_t size, DWORD creation,
                   DWORD flags) {
  const win32::UniqueFileHandle file = OpenForWriting(path, creation, flags);
  WriteAll(file.Get(), path, data, size);
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

std::optional<FileStamp> StampOf(const AnsiString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const win32::CriticalErrorBoxesSuppressed quiet;
  if (!::GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  FileStamp stamp;
  stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.writeTime = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

bool DeleteAtRestart(const AnsiString& path) {
  return ::MoveFileExW(win32::Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool RenameFile(const AnsiString& from, const AnsiString& to, AnsiString* reason) {
  const win32::CriticalErrorBoxesSuppressed quiet;
  if (::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), 0)) return true;
  const DWORD error = ::GetLastError();
  if (reason) *reason = win32::SystemErrorMessage(error);
  return false;
}

namespace {

// Opens path for appending, creating it when missing; others may read it meanwhile.
win32::UniqueFileHandle OpenForAppending(const AnsiString& path) {
  win32::UniqueFileHandle file(::CreateFileW(win32::Wide(path).c_str(), FILE_APPEND_DATA,
                                             FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowCannotCreate(path, ::GetLastError());
  return file;
}

}  // namespace

void AppendToFile(const AnsiString& path, const void* data, std::size_t size) {
  const win32::UniqueFileHandle file = OpenForAppending(path);
  WriteAll(file.Get(), path, data, size);
}

struct FileAppender::Handle {
  win32::UniqueFileHandle file;
};

FileAppender::FileAppender(const AnsiString& path)
    : path_(path), handle_(std::make_unique<Handle>(Handle{OpenForAppending(path)})) {}

FileAppender::~FileAppender() = default;

void FileAppender::Append(const void* data, std::size_t size) {
  WriteAll(handle_->file.Get(), path_, data, size);
}

struct FileWriter::Handle {
  win32::UniqueFileHandle file;
};

FileWriter::FileWriter(const AnsiString& path, Creation creation)
    : path_(path),
      handle_(std::make_unique<Handle>(
          Handle{creation == Creation::kNew
                     // A link standing at the path is not followed, as WriteNewFile.
                     ? OpenForWriting(path, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT)
                     : OpenForWriting(path, CREATE_ALWAYS, 0)})) {}

FileWriter::~FileWriter() = default;

void FileWriter::Write(const void* data, std::size_t size) {
  WriteAll(handle_->file.Get(), path_, data, size);
}

void ReplaceFileAtomically(const AnsiString& path, const void* data, std::size_t size) {
  const std::optional<AnsiString> suffix = RandomName();
  if (!suffix) ThrowCannotCreate(path, ERROR_NOT_ENOUGH_MEMORY);
  // Beside the file, so the rename stays on its volume; a name nothing else uses.
  const AnsiString fresh = path + "." + *suffix + ".new";
  const std::wstring wideFresh = win32::Wide(fresh);
  auto removeFresh = MakeScopeExit([&wideFresh] { ::DeleteFileW(wideFresh.c_str()); });
  {
    win32::UniqueFileHandle file(
        ::CreateFileW(wideFresh.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) ThrowCannotCreate(path, ::GetLastError());
    WriteAll(file.Get(), path, data, size);
    Flush(file.Get(), path);
  }
  if (!::MoveFileExW(wideFresh.c_str(), win32::Wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowCannotCreate(path, ::GetLastError());
  }
  removeFresh.Dismiss();
}

namespace {

// Owner Administrators; full control to Administrators and SYSTEM, for the folder and what is
// made inside it; nothing inherited from the parent.
constexpr wchar_t kAdministratorsFolderAccess[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// The rights that let an account change a folder or what it holds.
constexpr ACCESS_MASK kWriteLikeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                         DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                         GENERIC_ALL;

struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::LocalFree(value); }
};

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof buffer;
  return ::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer);
}

bool IsAdministratorsOrSystem(PSID sid) {
  return sid && ::IsValidSid(sid) &&
         (IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid));
}

// Why the folder cannot be trusted to hold what only administrators may change; empty when it
// can: its owner is Administrators or SYSTEM and no one else is allowed to change anything in it
// (an entry inherited by what is made inside counts too: it would apply to the files there).
AnsiString DistrustOf(const AnsiString& folder, PSID alsoTrusted) {
  const auto trusted = [alsoTrusted](PSID sid) {
    return IsAdministratorsOrSystem(sid) || (alsoTrusted && sid && ::EqualSid(sid, alsoTrusted));
  };
  PSID owner = nullptr;
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error =
      ::GetNamedSecurityInfoW(win32::Wide(folder).c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &access, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return win32::SystemErrorMessage(error);
  const win32::UniqueResource<LocalMemoryTraits> held(descriptor);
  if (!trusted(owner)) return "the folder's owner is not Administrators or SYSTEM";
  if (!access) return "the folder has no access list: everyone may change it";
  for (DWORD index = 0; index < access->AceCount; ++index) {
    void* entry = nullptr;
    if (!::GetAce(access, index, &entry)) return win32::SystemErrorMessage(::GetLastError());
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;  // only allowing entries grant
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    PSID trustee = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & kWriteLikeRights) != 0 && !trusted(trustee)) {
      return "the folder's access list lets another account change it";
    }
  }
  return {};
}

// The owner the system reports for a folder made now in parent with the administrators' access
// list (the folder is removed again): Administrators where the system keeps the owner a program
// sets, the process's own user where it builds owners from the host's file modes (Wine). Empty
// when no such folder can be made.
std::vector<BYTE> OwnerOfAFolderMadeNow(const AnsiString& parent, PSECURITY_DESCRIPTOR made) {
  const std::optional<AnsiString> name = RandomName();
  if (!name) return {};
  const std::wstring probe = win32::Wide(parent + "\\" + *name);
  SECURITY_ATTRIBUTES security{sizeof security, made, FALSE};
  if (!::CreateDirectoryW(probe.c_str(), &security)) return {};
  const auto remove = MakeScopeExit([&probe] { ::RemoveDirectoryW(probe.c_str()); });
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoW(probe.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  const win32::UniqueResource<LocalMemoryTraits> held(descriptor);
  if (!owner || !::IsValidSid(owner)) return {};
  const auto* bytes = static_cast<const BYTE*>(owner);
  return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(owner));
}

}  // namespace

bool EnsureAdministratorsFolder(const AnsiString& folder, AnsiString* reason) {
  const auto refused = [reason](const AnsiString& why) {
    if (reason) *reason = why;
    return false;
  };
  const std::wstring wide = win32::Wide(folder);
  DWORD attributes = Attributes(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    win32::UniqueResource<LocalFreeTraits> descriptor;
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsFolderAccess,
                                                                SDDL_REVISION_1, &made, nullptr)) {
      return refused(win32::SystemErrorMessage(::GetLastError()));
    }
    descriptor.Reset(made);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.Get(), FALSE};
    // Made here with that access list: it is ours. One made by someone else in the meantime is
    // checked below like any existing one.
    if (::CreateDirectoryW(wide.c_str(), &security)) return true;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      return refused(win32::SystemErrorMessage(::GetLastError()));
    }
    attributes = Attributes(folder);
  }
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return refused("a file stands where the folder should be");
  }
  // A link leads wherever its maker chooses, and its maker can change it.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return refused("the folder is a link");
  AnsiString distrust = DistrustOf(folder, nullptr);
  if (!distrust.empty()) {
    // Where the system does not keep the owner a program sets, the folder made here earlier
    // looks like one of this process's user: it is judged against a folder made now. Where the
    // system keeps owners, that folder's owner is Administrators and nothing changes.
    const std::size_t separator = LastDelimiter(folder, "\\");
    std::vector<BYTE> madeNowOwner;
    win32::UniqueResource<LocalFreeTraits> descriptor;
    PSECURITY_DESCRIPTOR made = nullptr;
    if (separator != AnsiString::npos &&
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsFolderAccess,
                                                               SDDL_REVISION_1, &made, nullptr)) {
      descriptor.Reset(made);
      madeNowOwner = OwnerOfAFolderMadeNow(folder.substr(0, separator), descriptor.Get());
    }
    if (!madeNowOwner.empty() && !IsAdministratorsOrSystem(madeNowOwner.data())) {
      distrust = DistrustOf(folder, madeNowOwner.data());
    }
  }
  if (!distrust.empty()) return refused(distrust);
  return true;
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
