#pragma once
// The system's text for an error code, as the runtime puts it into its error messages.
#include <cstdint>

#include "platform/AnsiString.h"

namespace platform::win32 {

// FormatMessageW's text for the code in code page 936, without trailing blanks, line breaks and
// full stop (the runtime's messages append it after ". "), so "Cannot create file \"x\". Access
// denied". A character of the system's language that code page 936 has no form for shows as
// '?': reporting an error never fails for the language the system speaks.
AnsiString SystemErrorMessage(std::uint32_t code);

}  // namespace platform::win32
