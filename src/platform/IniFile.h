#pragma once
// The profile-string functions over INI files.
#include "platform/AnsiString.h"

namespace platform {

// GetPrivateProfileStringA into a 2048-byte buffer: sections and keys match without regard to
// case, the value is cut to 2047 bytes, and a missing file, section or key gives defaultValue.
AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue);

// WritePrivateProfileStringA; creates the file, section or key where absent. True on success.
bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value);

}  // namespace platform
