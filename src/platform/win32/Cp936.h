#pragma once
// The seam between the program's text (code page 936 bytes) and the system's (UTF-16). Every
// call into Windows goes through the wide functions with these conversions, so texts, file names
// and registry values are right whatever the system's own code page is.
#include <string>
#include <string_view>

#include "platform/AnsiString.h"

namespace platform::win32 {

// The code page of the program's text.
constexpr unsigned kProgramCodePage = 936;

// Code page 936 bytes to UTF-16. Throws EEncodingError for bytes that are not code page 936 text.
std::wstring Wide(const AnsiString& text);

// UTF-16 from the system to code page 936. Throws EEncodingError for a character that code page
// 936 cannot hold; what must not be mangled is never replaced by a question mark.
AnsiString Narrow(std::wstring_view text);

// The same for a NUL-terminated buffer filled by the system.
AnsiString NarrowZ(const wchar_t* text);

}  // namespace platform::win32
