#pragma once
// One zstd frame of some bytes, as the packer writes it: with the frame's content checksum, which
// the setup's decoder requires.
#include <memory>
#include <stdexcept>
#include <string>

#include <zstd.h>

namespace support {

// windowLog 0 leaves the window to the level.
inline std::string ZstdFrameOf(const std::string& bytes, int level = 1, int windowLog = 0) {
  std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), &ZSTD_freeCCtx);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, level);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
  if (windowLog != 0) ZSTD_CCtx_setParameter(context.get(), ZSTD_c_windowLog, windowLog);
  std::string frame(ZSTD_compressBound(bytes.size()), '\0');
  const std::size_t size =
      ZSTD_compress2(context.get(), frame.data(), frame.size(), bytes.data(), bytes.size());
  if (ZSTD_isError(size)) throw std::runtime_error("zstd could not compress test bytes");
  frame.resize(size);
  return frame;
}

}  // namespace support
