#pragma once
// The silent installation of /S: what an interactive run with the default choices does, with no
// window shown, no question asked and the product not started at the end.
#include "setupdata/CommandLine.h"

// Runs after the host and the wizard windows exist (created, never shown): the earlier
// installation, the install folder, the run, the options file. The exit code.
SetupExitCode RunSilentInstallation();
