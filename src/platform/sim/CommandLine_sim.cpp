#include "platform/CommandLine.h"

#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"

namespace platform {

AnsiString CommandLine() { return sim::SimMachine::Current().Module().CommandLine(); }

std::string Utf8Text(const AnsiString& text) { return sim::Utf8(text); }

}  // namespace platform
