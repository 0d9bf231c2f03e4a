#pragma once
// The toolkit on real Windows windows.
#include <memory>

#include "platform/gui/Backend.h"

namespace gui {

// Initialises COM and the common controls for the calling (user-interface) thread and creates
// the application's hidden window.
std::unique_ptr<Backend> CreateWin32Backend();

}  // namespace gui
