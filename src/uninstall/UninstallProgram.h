#pragma once
// The uninstaller program's body. Started from its protected folder (by the uninstall entry or
// the program group) or from the install folder, it copies itself into a private folder, runs
// the copy and waits for its end (so its caller gets the copy's exit code), then starts the copy
// once more to clear away its own file after it ended. The copy does the removal: it asks,
// deals with a running Korvello, shows its progress and what it kept.
#include "platform/AnsiString.h"
#include "platform/gui/Application.h"

// The process exit code (UninstallExitCode).
int RunUninstaller(gui::Application& application, const AnsiString& commandLine);
