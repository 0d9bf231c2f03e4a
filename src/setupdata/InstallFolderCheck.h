#pragma once
// Whether a folder can take the product: an absolute folder on one of the machine's drives, with
// names the system accepts, below which every file of the product stays within the system's
// path limit. The installation run puts the product's relative paths straight after the folder,
// so the folder it is given always ends with a backslash.
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/AnsiString.h"

// The longest path the system takes, in characters, without the terminating zero (MAX_PATH - 1).
constexpr std::size_t kLongestSystemPath = 259;

// The folder with a backslash at its end, added when it has none; a CP936 character whose
// second byte is 0x5C is no backslash. Nothing is added to an empty text, nor to a drive alone
// ("D:"): with a backslash it would name another folder, the drive's root.
AnsiString WithTrailingBackslash(const AnsiString& folder);

// The length of a path as the system counts it: a two-byte CP936 character is one.
std::size_t PathCharacters(const AnsiString& path);

// The longest install-relative path of the product, in characters: the manifest's paths (lines
// "name type relative\path") and the main executable's name.
std::size_t LongestInstalledPath(const std::vector<AnsiString>& manifestLines,
                                 const AnsiString& mainExecutable);

// Why folder cannot be the install folder, as one sentence for the user (CP936), or nothing when
// it can: it must be "X:\" followed by folder names, X one of listedDrives (letters, in any case),
// no network or device path, no character the system forbids in a name (< > : " / | ? * and
// control characters), no empty name, none ending in a space or a dot, no device name (CON,
// NUL, COM1...), and the folder, with its backslash, plus longestRelativePath at most
// kLongestSystemPath characters. A trailing backslash may be there or not.
std::optional<AnsiString> InstallFolderProblem(const AnsiString& folder,
                                               const std::vector<char>& listedDrives,
                                               std::size_t longestRelativePath);
