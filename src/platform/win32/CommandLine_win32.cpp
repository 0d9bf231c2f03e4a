#include "platform/CommandLine.h"

#include <climits>

#include "platform/Errors.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

AnsiString CommandLine() { return win32::NarrowZ(::GetCommandLineW()); }

std::string Utf8Text(const AnsiString& text) {
  const std::wstring wide = win32::Wide(text);
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

AnsiString AnsiTextOfUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  if (utf8.size() > static_cast<std::size_t>(INT_MAX))
    throw EEncodingError("Text too long to convert");
  const int length = static_cast<int>(utf8.size());
  const int size =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (size <= 0) throw EEncodingError("Text is not valid UTF-8");
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), size);
  return win32::Narrow(wide);
}

}  // namespace platform
