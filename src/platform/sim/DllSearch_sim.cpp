// The simulated machine loads no DLLs: there is no search to narrow.
#include "platform/DllSearch.h"

namespace platform {

void RestrictDllSearchToSystem() {}

}  // namespace platform
