#pragma once
// The install manifest: one payload entry per line, "name type relative\path".
#include "platform/AnsiString.h"

struct ManifestLine {
  AnsiString name;  // before the first space (the whole line when it has none)
  AnsiString type;  // between the first and the next space; empty after a doubled space
  AnsiString path;  // from after the second space to the end, spaces included
};

// Splits one manifest line by bytes, exactly as the installation run does: the path starts at
// byte (name length + type length + 2), so a doubled space leaves an empty type and a path that
// starts with the third word, and a line without a second space has an empty path.
ManifestLine SplitManifestLine(const AnsiString& line);

// The folder part of a relative path: everything before its last backslash, where a 0x5C byte
// that is the second byte of a CP936 character does not count; empty without a backslash.
AnsiString ManifestFolderPart(const AnsiString& path);
