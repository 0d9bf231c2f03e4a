#pragma once
// The setup program's body: single-instance guard, the two long-lived windows, the message loop.
#include <memory>
#include <optional>

#include "platform/Process.h"
#include "platform/gui/Application.h"
#include "platform/gui/Backend.h"
#include "setupdata/CommandLine.h"

// Everything after the application object exists: the usage box, the log, the guard, the
// windows and the loop, or the silent installation. The guard it leaves in `guard` must be kept
// until the windows are gone. The process exit code: 0 for every run without /S, the silent
// run's code otherwise.
int RunSetup(gui::Application& application, std::optional<platform::NamedMutex>& guard,
             const SetupSwitches& switches = {}, const AnsiString& commandLine = "setup.exe");

// Runs the setup on the given GUI back end with the program's command line; returns the
// process exit code.
int RunProgram(std::unique_ptr<gui::Backend> backend);
