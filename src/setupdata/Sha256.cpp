// SHA-256 as the Secure Hash Standard defines it: 64-byte blocks, a 64-bit length in bits at
// the end of the padding, eight 32-bit words of state, all big-endian.
#include "setupdata/Sha256.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "platform/Files.h"

namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<std::uint32_t, 8> kInitialState = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::size_t kFileChunkBytes = 64 * 1024;

std::uint32_t RotateRight(std::uint32_t value, unsigned bits) {
  return (value >> bits) | (value << (32 - bits));
}

std::uint32_t BigEndianWord(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

}  // namespace

Sha256::Sha256() { Reset(); }

void Sha256::Reset() {
  state_ = kInitialState;
  blockFill_ = 0;
  messageBytes_ = 0;
}

void Sha256::Compress(const std::uint8_t* block) {
  std::array<std::uint32_t, 64> schedule;
  for (std::size_t t = 0; t < 16; ++t) schedule[t] = BigEndianWord(block + 4 * t);
  for (std::size_t t = 16; t < 64; ++t) {
    const std::uint32_t w15 = schedule[t - 15];
    const std::uint32_t w2 = schedule[t - 2];
    const std::uint32_t sigma0 = RotateRight(w15, 7) ^ RotateRight(w15, 18) ^ (w15 >> 3);
    const std::uint32_t sigma1 = RotateRight(w2, 17) ^ RotateRight(w2, 19) ^ (w2 >> 10);
    schedule[t] = sigma1 + schedule[t - 7] + sigma0 + schedule[t - 16];
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (std::size_t t = 0; t < 64; ++t) {
    const std::uint32_t bigSigma1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
    const std::uint32_t choose = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + bigSigma1 + choose + kRoundConstants[t] + schedule[t];
    const std::uint32_t bigSigma0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
    const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = bigSigma0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  messageBytes_ += size;
  while (size > 0) {
    if (blockFill_ == 0 && size >= block_.size()) {
      // Whole blocks straight from the caller's buffer.
      Compress(bytes);
      bytes += block_.size();
      size -= block_.size();
      continue;
    }
    const std::size_t taken = std::min(size, block_.size() - blockFill_);
    std::copy(bytes, bytes + taken, block_.begin() + static_cast<std::ptrdiff_t>(blockFill_));
    blockFill_ += taken;
    bytes += taken;
    size -= taken;
    if (blockFill_ == block_.size()) {
      Compress(block_.data());
      blockFill_ = 0;
    }
  }
}

Sha256::Digest Sha256::Finish() {
  const std::uint64_t messageBits = messageBytes_ * 8;
  // A one bit, zeros up to 56 bytes into a block, then the length.
  const std::uint8_t one = 0x80;
  Update(&one, 1);
  const std::uint8_t zero = 0;
  while (blockFill_ != 56) Update(&zero, 1);
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(messageBits >> (56 - 8 * i));
  Update(length, sizeof length);
  Digest digest;
  for (std::size_t i = 0; i < state_.size(); ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
    }
  }
  Reset();
  return digest;
}

AnsiString HexOf(const Sha256::Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  AnsiString hex;
  hex.reserve(2 * digest.size());
  for (const std::uint8_t byte : digest) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

AnsiString Sha256Hex(const void* data, std::size_t size) {
  Sha256 hash;
  hash.Update(data, size);
  return HexOf(hash.Finish());
}

std::optional<AnsiString> Sha256HexOfFile(const AnsiString& path) {
  try {
    platform::FileReader file(path);
    Sha256 hash;
    std::vector<char> chunk(kFileChunkBytes);
    while (const std::size_t got = file.Read(chunk.data(), chunk.size()))
      hash.Update(chunk.data(), got);
    return HexOf(hash.Finish());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}
