// The displayed version over arbitrary serials: two-digit components joined by dots, each
// without its leading zero. A serial of digits gives only digits and dots, every component one
// or two digits, and the serial can be read back from the version.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "install/Registration.h"

namespace {

bool AllDigits(const AnsiString& text) {
  return text.find_first_not_of("0123456789") == AnsiString::npos;
}

std::vector<AnsiString> Components(const AnsiString& version) {
  std::vector<AnsiString> components;
  std::size_t start = 0;
  for (std::size_t dot = version.find('.'); dot != AnsiString::npos;
       start = dot + 1, dot = version.find('.', start)) {
    components.push_back(version.substr(start, dot - start));
  }
  components.push_back(version.substr(start));
  return components;
}

void CheckDigitSerial(const AnsiString& serial, const AnsiString& version) {
  fuzz::Require(version.find_first_not_of("0123456789.") == AnsiString::npos,
                "a serial of digits gives only digits and dots");
  const std::vector<AnsiString> components = Components(version);
  fuzz::Require(components.size() == (serial.size() + 1) / 2, "one component per two digits");
  AnsiString serialAgain;
  for (std::size_t i = 0; i < components.size(); ++i) {
    const AnsiString& component = components[i];
    fuzz::Require(component.size() == 1 || (component.size() == 2 && component[0] != '0'),
                  "a component is one digit or two without a leading zero");
    const bool oddLast = i + 1 == components.size() && serial.size() % 2 == 1;
    serialAgain += (component.size() == 1 && !oddLast ? "0" : "") + component;
  }
  fuzz::Require(serialAgain == serial, "the serial reads back from the version");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AnsiString serial(reinterpret_cast<const char*>(data), size);
  const AnsiString version = DisplayVersionOf(serial);
  fuzz::Require(version.size() <= serial.size() + serial.size() / 2,
                "the version is no longer than the serial with its dots");
  if (serial.empty()) {
    fuzz::Require(version.empty(), "an empty serial gives an empty version");
  } else if (AllDigits(serial)) {
    CheckDigitSerial(serial, version);
  }
  return 0;
}
