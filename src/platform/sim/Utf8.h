#pragma once
// The program's CP936 text made readable for test messages and host file names.
#include <optional>
#include <string>

#include "platform/AnsiString.h"

namespace sim {

// CP936 bytes to UTF-8. A byte sequence that is not valid CP936 is kept as "\xNN" escapes, so a
// message never loses what it was about.
std::string Utf8(const AnsiString& cp936);

// UTF-8 to CP936; bytes that cannot be converted are kept as they are.
AnsiString FromUtf8(const std::string& utf8);

// UTF-8 to CP936 as the system converts text it must not mangle: nothing when the bytes are not
// UTF-8 or a character has no form in CP936.
std::optional<AnsiString> StrictCp936(const std::string& utf8);

}  // namespace sim
