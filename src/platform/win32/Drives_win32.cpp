#include "platform/Drives.h"

#include <string>

#include "platform/win32/Cp936.h"
#include "platform/win32/CriticalErrorBoxes.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

AnsiString LogicalDriveStrings(std::size_t bufferLength) {
  AnsiString buffer(bufferLength, '\0');
  if (bufferLength == 0 || bufferLength > MAXDWORD) return buffer;
  std::wstring wide(bufferLength, L'\0');
  // The length without the list's final NUL; more than fits when the buffer is too small.
  const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(bufferLength), wide.data());
  if (length == 0 || length >= bufferLength) return buffer;
  const AnsiString roots = win32::Narrow(std::wstring_view(wide.data(), length));
  if (roots.size() < bufferLength) buffer.replace(0, roots.size(), roots);
  return buffer;
}

std::optional<DiskSpace> QueryDiskSpace(const AnsiString& root) {
  ULARGE_INTEGER freeAvailable{};
  ULARGE_INTEGER total{};
  BOOL answered = FALSE;
  {
    // An empty removable or disc drive fails the query as not ready, without a box.
    const win32::CriticalErrorBoxesSuppressed quiet;
    answered = ::GetDiskFreeSpaceExW(win32::Wide(root).c_str(), &freeAvailable, &total, nullptr);
  }
  if (!answered) return std::nullopt;
  DiskSpace space;
  space.totalBytes = total.QuadPart;
  space.freeBytesAvailable = freeAvailable.QuadPart;
  return space;
}

}  // namespace platform
