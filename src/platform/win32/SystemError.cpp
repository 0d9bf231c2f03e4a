#include "platform/win32/SystemError.h"

#include <string_view>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The reason text in code page 936, '?' standing for each character it has no form for. Unlike
// a name, a reason is only read by the user: a stand-in loses nothing the program relies on,
// while an exception here would replace the error being reported with another one.
AnsiString ReadableText(std::wstring_view text) {
  try {
    return Narrow(text);
  } catch (const EEncodingError&) {
    // Character by character below.
  }
  AnsiString readable;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length =
        IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
    try {
      readable += Narrow(text.substr(i, length));
    } catch (const EEncodingError&) {
      readable += '?';
    }
    i += length;
  }
  return readable;
}

}  // namespace

AnsiString SystemErrorMessage(std::uint32_t code) {
  wchar_t buffer[256] = {};
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, code, 0, buffer, sizeof(buffer) / sizeof(buffer[0]), nullptr);
  while (length > 0) {
    const wchar_t last = buffer[length - 1];
    if (last > L' ' && last != L'.') break;
    --length;
  }
  return ReadableText(std::wstring_view(buffer, length));
}

}  // namespace platform::win32
