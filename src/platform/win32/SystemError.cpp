#include "platform/win32/SystemError.h"

#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

AnsiString SystemErrorMessage(std::uint32_t code) {
  char buffer[256] = {};
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, buffer, sizeof(buffer), nullptr);
  while (length > 0) {
    const auto last = static_cast<unsigned char>(buffer[length - 1]);
    if (last > ' ' && last != '.') break;
    --length;
  }
  return AnsiString(buffer, length);
}

}  // namespace platform::win32
