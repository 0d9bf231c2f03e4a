#pragma once
// SHA-256 of payload entries and installed files: the packer carries each entry's digest, and a
// later setup compares a file on disk with it to find the files the user changed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  // Adds size more bytes of the message; any split of a message gives the same digest.
  void Update(const void* data, std::size_t size);
  // The digest of everything added; the object starts over afterwards.
  Digest Finish();

 private:
  void Reset();
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_{};
  std::array<std::uint8_t, 64> block_{};
  std::size_t blockFill_ = 0;
  std::uint64_t messageBytes_ = 0;
};

// A digest as 64 lowercase hex digits.
AnsiString HexOf(const Sha256::Digest& digest);

// The digest of data as 64 lowercase hex digits.
AnsiString Sha256Hex(const void* data, std::size_t size);

// The digest of a file's content, read in bounded chunks; nothing when the file cannot be opened
// or read to its end.
std::optional<AnsiString> Sha256HexOfFile(const AnsiString& path);
