// The payload sums reader over arbitrary text: a text it accepts starts with the format's first
// line and ends with the total, the entry of its second line is found again (in other case too)
// with that line's size, digest, stored form and stored size, and every digest it gives is 64
// lowercase hex digits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
  std::vector<AnsiString> words;
  for (std::size_t at = 0;;) {
    const std::size_t space = line.find(' ', at);
    words.push_back(line.substr(at, space == AnsiString::npos ? space : space - at));
    if (space == AnsiString::npos) break;
    at = space + 1;
  }
  fuzz::Require(words.size() == 6, "an accepted entry line has six fields");
  const EntrySum* sum = sums.Find(Swapped(words[0]), Swapped(words[1]));
  fuzz::Require(sum != nullptr, "the entry of an accepted line is found in any case");
  fuzz::Require(std::to_string(sum->size) == words[2], "the entry's size is the line's size");
  fuzz::Require(sum->sha256 == words[3], "the entry's digest is the line's");
  fuzz::Require(words[4] == (sum->form == StoredForm::kZstd ? "zstd" : "raw"),
                "the entry's stored form is the line's");
  fuzz::Require(std::to_string(sum->storedSize) == words[5],
                "the entry's stored size is the line's");
  fuzz::Require(sum->form == StoredForm::kZstd || sum->storedSize == sum->size,
                "a raw entry is carried at its size");
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
