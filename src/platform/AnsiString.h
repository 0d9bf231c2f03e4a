#pragma once
// Text of the program: bytes in code page 936. Sources are UTF-8 and the compiler turns every
// literal into CP936, so lengths and positions count bytes as the program's string routines do.
#include <string>
#include <vector>

using AnsiString = std::string;

// printf-style formatting into an AnsiString.
AnsiString Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// True when byte c starts a two-byte CP936 character (its trail byte may be 0x5C, a backslash).
inline bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

// Position of the last byte of text that is one of delimiters and a character of its own,
// never the trail byte of a CP936 character (which may be 0x5C, a backslash); npos when there
// is none. LastDelimiter(path, "\\") finds the separator before a path's last component.
std::size_t LastDelimiter(const AnsiString& text, const char* delimiters);

// The lines of a text, split at CR LF, LF or CR (as a string list reads a text file); a final
// line break ends the last line and starts no new one.
std::vector<AnsiString> SplitLines(const AnsiString& text);

// Case-insensitive comparison of ASCII letters, as resource and INI lookups match names.
bool SameTextAscii(const AnsiString& a, const AnsiString& b);
