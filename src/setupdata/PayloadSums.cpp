#include "setupdata/PayloadSums.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "platform/Resources.h"

namespace {

constexpr const char* kFirstLine = "Korvello payload sums 2";
constexpr const char* kTotalWord = "total";
constexpr std::size_t kHexDigits = 64;

// The words of a line split at single spaces; an empty word (a doubled, leading or trailing
// space) is kept, so that such a line fails the checks below.
std::vector<AnsiString> Words(const AnsiString& line) {
  std::vector<AnsiString> words;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(' ', start);
    words.push_back(line.substr(start, space - start));
    if (space == AnsiString::npos) return words;
    start = space + 1;
  }
}

// The text's lines at CR LF; nothing when a lone CR or LF appears. A final CR LF ends the last
// line.
std::optional<std::vector<AnsiString>> CrLfLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == AnsiString::npos) end = text.size();
    AnsiString line = text.substr(start, end - start);
    if (line.find_first_of("\r\n") != AnsiString::npos) return std::nullopt;
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

// A decimal count without sign, spaces or leading zeros that fits 64 bits.
std::optional<std::uint64_t> Count(const AnsiString& word) {
  if (word.empty() || word.size() > 20 || (word.size() > 1 && word[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

bool IsDigest(const AnsiString& word) {
  if (word.size() != kHexDigits) return false;
  for (const char c : word) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// Letters, digits and underscores, as the packer allows in entry names and types.
bool IsIdentifier(const AnsiString& word) {
  if (word.empty()) return false;
  for (const char c : word) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

std::optional<StoredForm> FormOf(const AnsiString& word) {
  if (word == "raw") return StoredForm::kRaw;
  if (word == "zstd") return StoredForm::kZstd;
  return std::nullopt;
}

// One entry's line; nothing when any field does not parse, or a raw entry's sizes differ.
std::optional<std::pair<std::pair<AnsiString, AnsiString>, EntrySum>> EntryLine(
    const AnsiString& line) {
  const std::vector<AnsiString> words = Words(line);
  if (words.size() != 6 || !IsIdentifier(words[0]) || !IsIdentifier(words[1])) {
    return std::nullopt;
  }
  const auto size = Count(words[2]);
  const auto form = FormOf(words[4]);
  const auto storedSize = Count(words[5]);
  if (!size || !IsDigest(words[3]) || !form || !storedSize) return std::nullopt;
  if (*form == StoredForm::kRaw && *storedSize != *size) return std::nullopt;
  return std::make_pair(std::make_pair(words[0], words[1]),
                        EntrySum{*size, words[3], *form, *storedSize});
}

}  // namespace

std::optional<PayloadSums> PayloadSums::Load() {
  const auto entry = platform::FindModuleResource(kEntryName, kEntryType);
  if (!entry) return std::nullopt;
  return Parse(AnsiString(reinterpret_cast<const char*>(entry->data), entry->size));
}

std::optional<PayloadSums> PayloadSums::Parse(const AnsiString& text) {
  const auto lines = CrLfLines(text);
  if (!lines || lines->size() < 2 || lines->front() != kFirstLine) return std::nullopt;
  PayloadSums sums;
  for (std::size_t index = 1; index + 1 < lines->size(); ++index) {
    auto entry = EntryLine((*lines)[index]);
    if (!entry) return std::nullopt;
    const auto& [name, type] = entry->first;
    // The packer lists each entry once.
    if (!sums.entries_.emplace(KeyOf(name, type), std::move(entry->second)).second) {
      return std::nullopt;
    }
  }
  const std::vector<AnsiString> last = Words(lines->back());
  if (last.size() != 2 || last[0] != kTotalWord) return std::nullopt;
  const auto total = Count(last[1]);
  if (!total) return std::nullopt;
  sums.totalBytes_ = *total;
  return sums;
}

PayloadSums::Key PayloadSums::KeyOf(const AnsiString& name, const AnsiString& type) {
  const auto upper = [](AnsiString text) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
  };
  return {upper(name), upper(type)};
}

const EntrySum* PayloadSums::Find(const AnsiString& name, const AnsiString& type) const {
  const auto found = entries_.find(KeyOf(name, type));
  return found == entries_.end() ? nullptr : &found->second;
}
