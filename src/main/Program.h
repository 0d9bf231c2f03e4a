#pragma once
// The setup program's body: single-instance guard, the two long-lived windows, the message loop.
#include <memory>

#include "platform/gui/Backend.h"

// Runs the setup on the given GUI back end; returns the process exit code (always 0).
int RunProgram(std::unique_ptr<gui::Backend> backend);
