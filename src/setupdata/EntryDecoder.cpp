#include "setupdata/EntryDecoder.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <zstd.h>

#include "platform/Errors.h"

struct EntryDecoder::Context {
  struct Free {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
  };
  std::unique_ptr<ZSTD_DCtx, Free> stream;
};

namespace {

[[noreturn]] void ThrowDamaged(const AnsiString& name) {
  throw EResDamaged(Format("Resource %s is damaged", name.c_str()));
}

constexpr unsigned char kFrameMagic[] = {0x28, 0xB5, 0x2F, 0xFD};

// The packer writes each frame with its content checksum (XXH64), which the decoder checks as the
// frame ends; a frame without one (its flag cleared) could not be checked, so it is damage too.
// The frame's header: its magic number, then the descriptor whose bit 2 flags the checksum.
bool CarriesItsChecksum(const platform::ResourceBytes& entry) {
  static constexpr unsigned char kChecksumFlag = 0x04;
  if (entry.size <= sizeof kFrameMagic || !EntryDecoder::StartsLikeAFrame(entry)) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(entry.data);
  return (bytes[sizeof kFrameMagic] & kChecksumFlag) != 0;
}

}  // namespace

bool EntryDecoder::StartsLikeAFrame(const platform::ResourceBytes& entry) {
  if (entry.size < sizeof kFrameMagic) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(entry.data);
  return std::equal(std::begin(kFrameMagic), std::end(kFrameMagic), bytes);
}

EntryDecoder::EntryDecoder() : context_(std::make_unique<Context>()) {
  context_->stream.reset(ZSTD_createDCtx());
  if (!context_->stream) throw std::bad_alloc();
  ZSTD_DCtx_setParameter(context_->stream.get(), ZSTD_d_windowLogMax, kWindowLogMax);
}

EntryDecoder::~EntryDecoder() = default;

void EntryDecoder::Decode(const AnsiString& name, const platform::ResourceBytes& entry,
                          const EntrySum& sum, const Sink& sink) {
  if (!CarriesItsChecksum(entry)) ThrowDamaged(name);
  ZSTD_DCtx* stream = context_->stream.get();
  ZSTD_DCtx_reset(stream, ZSTD_reset_session_only);
  std::vector<unsigned char> piece(kPieceSize);
  ZSTD_inBuffer in{entry.data, entry.size, 0};
  std::uint64_t decoded = 0;
  for (;;) {
    ZSTD_outBuffer out{piece.data(), piece.size(), 0};
    const std::size_t left = ZSTD_decompressStream(stream, &out, &in);
    if (ZSTD_isError(left)) ThrowDamaged(name);
    decoded += out.pos;
    // More than the sum's size is damage found early, before the file grows past it.
    if (decoded > sum.size) ThrowDamaged(name);
    if (out.pos > 0) sink(piece.data(), out.pos);
    if (left == 0) break;
    // Input all taken, output not full, frame not ended: the entry stops short.
    if (in.pos == in.size && out.pos < out.size) ThrowDamaged(name);
  }
  if (in.pos != in.size || decoded != sum.size) ThrowDamaged(name);
}

AnsiString EntryDecoder::Head(const platform::ResourceBytes& entry, std::size_t count) {
  ZSTD_DCtx* stream = context_->stream.get();
  ZSTD_DCtx_reset(stream, ZSTD_reset_session_only);
  AnsiString head(count, '\0');
  ZSTD_inBuffer in{entry.data, entry.size, 0};
  ZSTD_outBuffer out{head.data(), head.size(), 0};
  while (out.pos < out.size) {
    const std::size_t before = in.pos + out.pos;
    const std::size_t left = ZSTD_decompressStream(stream, &out, &in);
    if (ZSTD_isError(left) || left == 0 || in.pos + out.pos == before) break;
  }
  head.resize(out.pos);
  return head;
}
