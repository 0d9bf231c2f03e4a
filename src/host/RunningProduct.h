#pragma once
// Korvello running on the machine: the setup and the uninstaller both find it among the
// processes and offer to end it, for a running program keeps its files.
#include "platform/AnsiString.h"

// Korvello's main window class.
extern const char* const kProductWindowClass;

// Whether a process of Korvello's executable runs; false when the process list is unavailable.
bool ProductProcessRunning();

// Ends the process of the first top-level window of windowClass with a title that is neither
// empty nor ownTitle (the asking program's own windows).
void EndProductWindowProcess(const AnsiString& windowClass, const AnsiString& ownTitle);
