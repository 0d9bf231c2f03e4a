#pragma once
// What every fuzz target uses: a failed promise aborts with its description (libFuzzer keeps
// the input as a crash), and the character starts of a CP936 text.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/AnsiString.h"

namespace fuzz {

inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

// starts[i] is true where a character of text begins; starts[text.size()] is true. A lead byte
// (0x81..0xFE) takes the next byte as its trail byte, except as the last byte of the text.
inline std::vector<bool> CharacterStarts(const AnsiString& text) {
  std::vector<bool> starts(text.size() + 1, false);
  std::size_t at = 0;
  while (at < text.size()) {
    starts[at] = true;
    const auto byte = static_cast<unsigned char>(text[at]);
    at += byte >= 0x81 && byte <= 0xFE && at + 1 < text.size() ? 2 : 1;
  }
  starts[text.size()] = true;
  return starts;
}

}  // namespace fuzz
