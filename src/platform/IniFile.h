#pragma once
// The profile-string functions over INI files. The program reads and writes the file's bytes
// itself and applies the system's profile-string rules to them (IniText.h), so a code page 936
// file reads the same whatever the system's code page is; the system's own functions would
// decode it with that code page.
#include "platform/AnsiString.h"

namespace platform {

// As the system's reader with a 2048-byte buffer: sections and keys match without regard to
// case, the value is cut to 2047 bytes, and a missing or unreadable file, a missing section or
// key, or a key without '=' gives defaultValue (without its trailing spaces).
AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue);

// Sets the key, creating the file, section or key where absent; the other lines keep their
// bytes. False when the file cannot be read or written (missing folder, file in use, a folder
// of that name); true on success.
bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value);

}  // namespace platform
