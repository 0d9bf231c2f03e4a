#include "platform/Conversions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Errors.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return (c >= 'a' ? c - 'a' : c - 'A') + 10;
}

[[noreturn]] void NotAnInteger(const AnsiString& text) {
  throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
}

[[noreturn]] void NotAFloat(const AnsiString& text) {
  throw EConvertError(Format("'%s' is not a valid floating point value", text.c_str()));
}

}  // namespace

int StrToInt(const AnsiString& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) NotAnInteger(text);
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (base == 10 ? !IsDigit(c) : !IsHexDigit(c)) NotAnInteger(text);
    value = value * base + HexValue(c);
    if (value > static_cast<long long>(INT_MAX) + 1) NotAnInteger(text);
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) NotAnInteger(text);
  return static_cast<int>(value);
}

double StrToFloat(const AnsiString& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  // [sign] digits [. digits] [e [sign] digits], with at least one digit before the exponent.
  std::size_t i = begin;
  if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < end && IsDigit(text[i])) ++i, ++digits;
  if (i < end && text[i] == '.') {
    ++i;
    while (i < end && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) NotAFloat(text);
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < end && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) NotAFloat(text);
  }
  if (i != end) NotAFloat(text);
  const AnsiString number = text.substr(begin, end - begin);
  errno = 0;
  const double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && (value > 1.0 || value < -1.0)) NotAFloat(text);
  return value;
}
