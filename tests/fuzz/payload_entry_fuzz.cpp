// The decoder of compressed payload entries over arbitrary bytes given as the entry of a known
// file (the seeds are frames of it, with their checksums): it either refuses the entry as damaged
// or hands on a file of that file's size (its bytes are as good as the frame's 32-bit checksum,
// which a fuzzer that solves comparisons may forge); it never hands on more than the file's size
// nor a piece beyond its bound, and the first bytes it reads are at most the ones asked for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/Errors.h"
#include "setupdata/EntryDecoder.h"
#include "setupdata/Sha256.h"

namespace {

// The file the seeds were packed from: "record <n>\n" for n from 0 to 2999.
std::string KnownFile() {
  std::string file;
  for (int n = 0; n < 3000; ++n) file += "record " + std::to_string(n) + "\n";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = KnownFile();
  static EntryDecoder decoder;
  EntrySum sum;
  sum.size = file.size();
  sum.sha256 = Sha256Hex(file.data(), file.size());
  sum.form = StoredForm::kZstd;
  sum.storedSize = size;
  const platform::ResourceBytes entry{data, size};

  std::string decoded;
  bool refused = false;
  try {
    decoder.Decode("FileDat1", entry, sum, [&decoded](const void* piece, std::size_t length) {
      fuzz::Require(length > 0 && length <= EntryDecoder::kPieceSize, "a piece within its bound");
      decoded.append(static_cast<const char*>(piece), length);
    });
  } catch (const EResDamaged& error) {
    refused = true;
    fuzz::Require(AnsiString(error.what()) == "Resource FileDat1 is damaged",
                  "the damage is reported with the entry's name");
  }
  fuzz::Require(decoded.size() <= file.size(), "never more than the file's size is handed on");
  fuzz::Require(refused || decoded.size() == file.size(),
                "an entry that is not refused makes a file of the file's size");

  const AnsiString head = decoder.Head(entry, 2);
  fuzz::Require(head.size() <= 2, "the first bytes are at most those asked for");
  return 0;
}
