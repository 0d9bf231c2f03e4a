#pragma once
// Decodes a payload entry the packer carried compressed (one zstd frame) in pieces of bounded
// size, checking that it makes the file it was packed from. Its memory is bounded by the
// largest window the packer uses; a frame that asks for more is refused as damaged.
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/AnsiString.h"
#include "platform/Resources.h"
#include "setupdata/PayloadSums.h"

class EntryDecoder {
 public:
  // The packer's window: 2^21 bytes (2 MiB).
  static constexpr int kWindowLogMax = 21;
  // The decoded bytes are handed on in pieces of at most this size.
  static constexpr std::size_t kPieceSize = 256 * 1024;

  using Sink = std::function<void(const void* data, std::size_t size)>;

  EntryDecoder();
  ~EntryDecoder();
  EntryDecoder(const EntryDecoder&) = delete;
  EntryDecoder& operator=(const EntryDecoder&) = delete;

  // Hands the decoded bytes of the entry to sink piece by piece. Throws EResDamaged "Resource %s
  // is damaged" (with the name) when the frame carries no content checksum, does not decode,
  // ends early, has bytes after it, decodes to another size than the sum's or to bytes whose
  // checksum is not the frame's; what sink took by then stays taken. The checksum (the frame's
  // XXH64) finds damage at a fraction of the cost of the sum's SHA-256, which the run uses only
  // to tell a file the user changed; a deliberate change of the setup is the signature's to find.
  void Decode(const AnsiString& name, const platform::ResourceBytes& entry, const EntrySum& sum,
              const Sink& sink);
  // Whether the entry begins with a zstd frame's magic number, as every entry the packer
  // compressed does.
  static bool StartsLikeAFrame(const platform::ResourceBytes& entry);
  // The first count decoded bytes, or fewer when the entry is shorter or damaged.
  AnsiString Head(const platform::ResourceBytes& entry, std::size_t count);

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};
