#include "contract/FileMarks.h"

#include <stdexcept>

#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace contract {

void MarkFile(const AnsiString& path, const FileMarks& marks) {
  const std::wstring wide = platform::win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("no file to mark");
  DWORD marked = attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NORMAL);
  if (marks.readOnly) marked |= FILE_ATTRIBUTE_READONLY;
  if (marks.hidden) marked |= FILE_ATTRIBUTE_HIDDEN;
  if (marks.system) marked |= FILE_ATTRIBUTE_SYSTEM;
  if (!::SetFileAttributesW(wide.c_str(), marked ? marked : FILE_ATTRIBUTE_NORMAL)) {
    throw std::runtime_error("the file's attributes cannot be set");
  }
}

FileMarks MarksOf(const AnsiString& path) {
  const DWORD attributes = ::GetFileAttributesW(platform::win32::Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("no file to read marks of");
  FileMarks marks;
  marks.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  marks.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  marks.system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  return marks;
}

bool SystemRefusesReplacingMarkedFiles() {
  // Wine's own export names it.
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return !ntdll || !::GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace contract
