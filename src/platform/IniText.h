#pragma once
// The profile-string rules over the bytes of an INI file, kept apart from any file access so
// that every back end reads and rewrites the setup's configuration the same way, whatever the
// system's code page: the content is code page 936 bytes and stays so.
//
// Reading: lines end in CR LF, LF or CR; a "[name]" line opens a section, blanks around the name
// ignored; a "key=value" line inside it is an entry, blanks (spaces, tabs) around key and value
// ignored, only the first '=' separates them; a line without '=' is a key without a value,
// which reads as the default. Sections and keys match without regard to ASCII case; only the
// first section of a name and the first key of a name in it count. A value enclosed in matching
// single or double quotes loses them. Nothing is a comment: a line starting with ';' is a key
// whose name starts with ';'.
#include <cstddef>

#include "platform/AnsiString.h"

namespace platform::ini {

// The profile-string functions fill a 2048-byte buffer and keep room for the final NUL.
inline constexpr std::size_t kValueLimit = 2047;

// The value of key in section of content (the whole file; empty for a missing file), or
// defaultValue without its trailing spaces (tabs stay) when there is none; cut to kValueLimit
// bytes.
AnsiString ReadValue(const AnsiString& content, const AnsiString& section, const AnsiString& key,
                     const AnsiString& defaultValue);

// content with key of section set to value: the key's line rewritten as "key=value" (the key
// keeps its spelling in the file), or a new line after the last non-blank line of the section,
// or a new section at the end. Every other line keeps its bytes and its line break; added lines
// end in CR LF.
AnsiString WithValue(const AnsiString& content, const AnsiString& section, const AnsiString& key,
                     const AnsiString& value);

}  // namespace platform::ini
