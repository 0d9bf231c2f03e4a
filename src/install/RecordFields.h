#pragma once
// The fields of the installation record's and the run journal's lines: one entry per line,
// fields separated by tabs (no file name can hold one), registry data as hexadecimal digits, and
// the checks a path read back must pass before the setup acts on it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Registry.h"

namespace record {

using Fields = std::vector<std::string>;

// A line that cannot be read: the whole text it stands in is refused, for this reason.
struct Damaged {
  std::string why;
};

// Code page 936 text as a field (UTF-8), and back; Damaged for a field that is not UTF-8 of
// characters code page 936 holds.
std::string Utf8(const AnsiString& text);
AnsiString Ansi(const std::string& utf8);
// Damaged unless the line has count fields.
void Expect(const Fields& fields, std::size_t count);

// One line's fields joined with tabs; a field must hold no tab, CR or LF (the caller's texts are
// paths, names and hexadecimal digits).
std::string JoinFields(const std::vector<std::string>& fields);
std::vector<std::string> SplitFields(const std::string& line);

std::string HexOf(const std::string& bytes);
// Nothing when text is not an even count of hexadecimal digits.
std::optional<std::string> BytesOfHex(const std::string& text);

std::string DecimalOf(std::uint64_t number);
// Nothing unless text is 1 to 20 decimal digits that fit 64 bits.
std::optional<std::uint64_t> NumberOf(const std::string& text);

// The registry roots by the names the lines give them ("HKCU", "HKCR").
std::string RootName(platform::RootKey root);
std::optional<platform::RootKey> RootOf(const std::string& name);

// A registry value as one field: its type number, a colon and its bytes in hexadecimal; "none"
// for no value.
std::string ValueField(const std::optional<platform::RawValue>& value);
// Nothing when the field is damaged; an empty optional inside for "none".
std::optional<std::optional<platform::RawValue>> ValueOfField(const std::string& field);

// Whether relative names a file or folder strictly inside a folder: components separated by
// single backslashes, none empty, "." or "..", none holding a drive colon, a slash or a
// character below 32, no leading backslash. A CP936 trail byte 0x5C is part of its character.
bool IsInsidePath(const AnsiString& relative);

// Whether a path is an absolute folder or file path with a drive letter ("X:\..."), whose
// components pass the same rule as IsInsidePath.
bool IsAbsoluteDrivePath(const AnsiString& path);

}  // namespace record
