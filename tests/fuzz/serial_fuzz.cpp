// The version serial comparison over arbitrary texts: the setup's serial is read as an integer,
// the installed one as a number. StrToInt takes exactly what its grammar allows (checked against
// a plain reading of that grammar), StrToFloat never gives NaN or an infinity, both refuse with
// EConvertError only, and the same decimal serial on both sides compares equal.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzCheck.h"
#include "platform/Conversions.h"
#include "platform/Errors.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Leading spaces, a sign, "$" or "0x"/"0X" for hexadecimal digits, at least one digit, and a
// value that a 32-bit integer holds.
std::optional<int> IntegerOf(const AnsiString& text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == AnsiString::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  int base = 10;
  if (text.compare(i, 1, "$") == 0) {
    base = 16;
    i += 1;
  } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  const std::int64_t limit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  if (!negative && magnitude == limit) return std::nullopt;
  return static_cast<int>(negative ? -magnitude : magnitude);
}

template <typename Number>
std::optional<Number> Converted(Number (*convert)(const AnsiString&), const AnsiString& text,
                                const char* refusal) {
  try {
    return convert(text);
  } catch (const EConvertError& error) {
    const AnsiString message = error.what();
    // The text stands quoted in the message, up to its first NUL byte.
    fuzz::Require(message == "'" + AnsiString(text.c_str()) + "' is not a valid " + refusal,
                  "a refusal names the text and what it is not");
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AnsiString text(reinterpret_cast<const char*>(data), size);
  const std::optional<int> integer = Converted(&StrToInt, text, "integer value");
  fuzz::Require(integer == IntegerOf(text), "StrToInt reads exactly what its grammar allows");

  const std::optional<double> number = Converted(&StrToFloat, text, "floating point value");
  if (number) fuzz::Require(std::isfinite(*number), "StrToFloat gives a finite number");

  const bool decimal = text.find_first_of("$xX") == AnsiString::npos;
  if (integer && decimal) {
    fuzz::Require(number.has_value() && *integer == *number,
                  "the same decimal serial reads the same on both sides");
  }
  if (integer && number) {
    const int order = (*integer == *number) + (*integer < *number) + (*integer > *number);
    fuzz::Require(order == 1, "two serials are equal, older or newer");
  }
  return 0;
}
