#pragma once
// The setup program's body: single-instance guard, the two long-lived windows, the message loop.
#include <memory>
#include <optional>

#include "platform/Process.h"
#include "platform/gui/Application.h"
#include "platform/gui/Backend.h"

// Everything after the application object exists: the guard, the windows and the loop. The
// guard it leaves in `guard` must be kept until the windows are gone.
int RunSetup(gui::Application& application, std::optional<platform::NamedMutex>& guard);

// Runs the setup on the given GUI back end; returns the process exit code (always 0).
int RunProgram(std::unique_ptr<gui::Backend> backend);
