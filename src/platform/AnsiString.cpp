#include "platform/AnsiString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

AnsiString Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  AnsiString result;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    result.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);
  return result;
}

std::size_t LastDelimiter(const AnsiString& text, const char* delimiters) {
  std::size_t found = AnsiString::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(text[i]) && i + 1 < text.size()) {
      ++i;  // the trail byte is part of the character
    } else if (std::strchr(delimiters, text[i]) != nullptr && text[i] != '\0') {
      found = i;
    }
  }
  return found;
}

std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == AnsiString::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameTextAscii(const AnsiString& a, const AnsiString& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}
