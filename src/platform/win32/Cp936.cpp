#include "platform/win32/Cp936.h"

#include <climits>
#include <cwchar>

#include "platform/Errors.h"
#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw EEncodingError("Text too long to convert");
  return static_cast<int>(size);
}

}  // namespace

std::wstring Wide(const AnsiString& text) {
  if (text.empty()) return std::wstring();
  const int length = CheckedLength(text.size());
  const int needed = ::MultiByteToWideChar(kProgramCodePage, MB_ERR_INVALID_CHARS, text.data(),
                                           length, nullptr, 0);
  if (needed <= 0) {
    throw EEncodingError(Format("Text is not valid in code page %u", kProgramCodePage));
  }
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(kProgramCodePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                        needed);
  return wide;
}

AnsiString Narrow(std::wstring_view text) {
  if (text.empty()) return AnsiString();
  const int length = CheckedLength(text.size());
  BOOL lost = FALSE;
  const int needed = ::WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                           length, nullptr, 0, nullptr, &lost);
  if (needed <= 0 || lost) {
    throw EEncodingError(
        Format("A character of this text has no form in code page %u", kProgramCodePage));
  }
  AnsiString narrow(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, narrow.data(),
                        needed, nullptr, nullptr);
  return narrow;
}

AnsiString NarrowZ(const wchar_t* text) {
  return text ? Narrow(std::wstring_view(text, std::wcslen(text))) : AnsiString();
}

}  // namespace platform::win32
