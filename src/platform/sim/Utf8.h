#pragma once
// The program's CP936 text made readable for test messages and host file names.
#include <string>

#include "platform/AnsiString.h"

namespace sim {

// CP936 bytes to UTF-8. A byte sequence that is not valid CP936 is kept as "\xNN" escapes, so a
// message never loses what it was about.
std::string Utf8(const AnsiString& cp936);

// UTF-8 to CP936; bytes that cannot be converted are kept as they are.
AnsiString FromUtf8(const std::string& utf8);

}  // namespace sim
