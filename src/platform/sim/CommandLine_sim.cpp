#include "platform/CommandLine.h"

#include <optional>
#include <utility>

#include "platform/Errors.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"

namespace platform {

AnsiString CommandLine() { return sim::SimMachine::Current().Module().CommandLine(); }

std::string Utf8Text(const AnsiString& text) { return sim::Utf8(text); }

AnsiString AnsiTextOfUtf8(const std::string& utf8) {
  std::optional<AnsiString> text = sim::StrictCp936(utf8);
  if (!text)
    throw EEncodingError("Text is not valid UTF-8, or has a character code page 936 lacks");
  return *std::move(text);
}

}  // namespace platform
