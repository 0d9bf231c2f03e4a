#pragma once
// The program's command line, and text for files other programs read in UTF-8.
#include <string>

#include "platform/AnsiString.h"

namespace platform {

// GetCommandLineW in code page 936: the program's name (as it was started) and the arguments
// as they were written. EEncodingError when code page 936 cannot hold it.
AnsiString CommandLine();

// The text in UTF-8. EEncodingError for bytes that are not code page 936 text.
std::string Utf8Text(const AnsiString& text);

// UTF-8 text (a file this program wrote with Utf8Text) back in code page 936. EEncodingError for
// bytes that are not UTF-8, or a character code page 936 cannot hold.
AnsiString AnsiTextOfUtf8(const std::string& utf8);

}  // namespace platform
