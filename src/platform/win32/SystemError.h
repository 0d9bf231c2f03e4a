#pragma once
// The system's text for an error code, as the runtime puts it into its error messages.
#include <cstdint>

#include "platform/AnsiString.h"

namespace platform::win32 {

// FormatMessageA's text for the code, without trailing blanks, line breaks and full stop (the
// runtime's messages append it after ". "), so "Cannot create file \"x\". Access denied".
AnsiString SystemErrorMessage(std::uint32_t code);

}  // namespace platform::win32
