#pragma once
// The installation run's extraction of the payload without its window, its status texts and its
// pauses: every line of the payload's own manifest in order, the entry's folder made with all
// its parents when it is missing, the entry written with one write straight from the loaded
// payload, each change journaled first and an earlier file moved aside, as the run does.
#include <cstddef>

#include "platform/AnsiString.h"

// Extracts every entry the manifest lists below installFolder (which ends in a backslash) and
// returns how many were written. Throws at the first folder or file that cannot be made.
std::size_t ExtractPayload(const AnsiString& installFolder);
