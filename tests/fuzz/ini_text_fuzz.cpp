// The INI rules over arbitrary file bytes: a value read is always bytes of the file (or the
// default) and never over the limit; a value written reads back as written, and writing it again
// changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "platform/IniText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineBreak(const AnsiString& text) { return text.find_first_of("\r\n") != AnsiString::npos; }

bool Trimmed(const AnsiString& text) {
  return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

// A section, key and value that the file can hold as one "[section]" and one "key=value" line.
bool Writable(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return !section.empty() && Trimmed(section) && !HasLineBreak(section) && !key.empty() &&
         Trimmed(key) && !HasLineBreak(key) && key.find('=') == AnsiString::npos &&
         key.front() != '[' && Trimmed(value) && !HasLineBreak(value) && !quoted &&
         value.size() <= platform::ini::kValueLimit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const AnsiString section = input.ConsumeRandomLengthString(40);
  const AnsiString key = input.ConsumeRandomLengthString(40);
  const AnsiString value = input.ConsumeRandomLengthString(2100);
  const AnsiString content = input.ConsumeRemainingBytesAsString();

  const AnsiString read = platform::ini::ReadValue(content, section, key, "\x01");
  fuzz::Require(read.size() <= platform::ini::kValueLimit, "a value read fits the limit");
  fuzz::Require(read == "\x01" || content.find(read) != AnsiString::npos,
                "a value read is the default or bytes of the file");

  if (!Writable(section, key, value)) return 0;
  const AnsiString written = platform::ini::WithValue(content, section, key, value);
  fuzz::Require(platform::ini::ReadValue(written, section, key, "\x01") == value,
                "a value written reads back as written");
  fuzz::Require(platform::ini::WithValue(written, section, key, value) == written,
                "writing the same value again changes nothing");
  return 0;
}
