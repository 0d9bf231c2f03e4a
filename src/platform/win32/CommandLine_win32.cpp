#include "platform/CommandLine.h"

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

}  // namespace platform
