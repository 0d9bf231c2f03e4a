// The payload sums reader over arbitrary text: a text it accepts starts with the format's first
// line and ends with the total, the entry of its second line is found again (in other case too)
// with that line's size and digest, and every digest it gives is 64 lowercase hex digits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "setupdata/PayloadSums.h"

namespace {

constexpr const char* kFirstLine = "Korvello payload sums 2\r\n";

AnsiString Swapped(AnsiString text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

bool IsLowerHexDigest(const AnsiString& digest) {
  if (digest.size() != 64) return false;
  for (const char c : digest) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

void CheckSecondLine(const AnsiString& text, const PayloadSums& sums) {
  const std::size_t start = AnsiString(kFirstLine).size();
  const std::size_t end = text.find("\r\n", start);
  const AnsiString line = text.substr(start, end == AnsiString::npos ? end : end - start);
  if (line.compare(0, 6, "total ") == 0) return;
  const std::size_t first = line.find(' ');
  const std::size_t second = line.find(' ', first + 1);
  const std::size_t third = line.find(' ', second + 1);
  fuzz::Require(
      first != AnsiString::npos && second != AnsiString::npos && third != AnsiString::npos,
      "an accepted entry line has four fields");
  const AnsiString name = line.substr(0, first);
  const AnsiString type = line.substr(first + 1, second - first - 1);
  const EntrySum* sum = sums.Find(Swapped(name), Swapped(type));
  fuzz::Require(sum != nullptr, "the entry of an accepted line is found in any case");
  fuzz::Require(std::to_string(sum->size) == line.substr(second + 1, third - second - 1),
                "the entry's size is the line's size");
  fuzz::Require(sum->sha256 == line.substr(third + 1), "the entry's digest is the line's");
  fuzz::Require(IsLowerHexDigest(sum->sha256), "a digest is 64 lowercase hex digits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AnsiString text(reinterpret_cast<const char*>(data), size);
  const auto sums = PayloadSums::Parse(text);
  if (!sums) return 0;
  fuzz::Require(text.compare(0, AnsiString(kFirstLine).size(), kFirstLine) == 0,
                "an accepted text starts with the format's first line");
  AnsiString body = text;
  if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
    body.resize(body.size() - 2);
  const std::size_t lastLine = body.rfind("\r\n");
  fuzz::Require(lastLine != AnsiString::npos &&
                    body.substr(lastLine + 2) == "total " + std::to_string(sums->TotalBytes()),
                "an accepted text ends with its total");
  CheckSecondLine(text, *sums);
  return 0;
}
