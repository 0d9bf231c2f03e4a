// SHA-256: the standard's test messages, every split of a message around the 64-byte block and
// its padding, and a file read in chunks.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "setupdata/Sha256.h"
#include "support/SimTest.h"

namespace {

std::string Hex(const std::string& message) { return Sha256Hex(message.data(), message.size()); }

// Bytes that differ from position to position, so that a misplaced byte changes the digest.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return bytes;
}

TEST(Sha256Test, StandardTestMessagesGiveTheirPublishedDigests) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
       "nopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256Test, EverySplitAroundTheBlockAndItsPaddingGivesTheSameDigest) {
  // Lengths where the padding fits the last block, just does not, or takes a block of its own.
  const struct {
    std::size_t size;
    const char* digest;
  } cases[] = {
      {1, "ca358758f6d27e6cf45272937977a748fd88391db679ceda7dc7bf1f005ee879"},
      {55, "8aa994584139d128848eeebc4e815639ba5ab6e6e39574195a63ac4f14f7c43b"},
      {56, "ad574708f75c044c9b85de64cb568ee7711ff4f36448c6242f053ba8f6cc2b63"},
      {57, "5b46e502092be01b1100193e089fdda95638c12e19a1d24f308eb2c3d3ae849d"},
      {63, "280ed3e8ff1df845b2e7dfe6ac6cee817bef20e783cc65abc41b818b4d2fe076"},
      {64, "c6ab9724ade5b6a7a1edfffb12f3aa9181351355af8fd08c919952ad211339dd"},
      {65, "788367c73c7ddf4c53f65e68cc0d943e6227ab55b0e78ba63ace822b1c6301c0"},
      {119, "3d610547d68216dedf7435a4fb6260353911f6b3fd3f18805ddb8be285d726fe"},
      {120, "1f80156a804cb7862ad113e8200e9d74499723e7c7854d5f48776d3148e09656"},
      {128, "cc548ca2dec1f6fe4f58b2e27aa9c7521607df1130d140b55a4dad0665302356"},
      {129, "81e89a7b2911aaa7795f9e3d4910cb47d6cd2b00d83b8399481527261a1a7519"},
  };
  for (const auto& c : cases) {
    const std::string message = Pattern(c.size);
    EXPECT_EQ(Hex(message), c.digest) << c.size << " bytes at once";
    for (std::size_t split = 0; split <= c.size; ++split) {
      Sha256 hash;
      hash.Update(message.data(), split);
      hash.Update(message.data() + split, c.size - split);
      EXPECT_EQ(HexOf(hash.Finish()), c.digest) << c.size << " bytes split at " << split;
    }
    Sha256 byByte;
    for (const char byte : message) byByte.Update(&byte, 1);
    EXPECT_EQ(HexOf(byByte.Finish()), c.digest) << c.size << " bytes one at a time";
  }
}

TEST(Sha256Test, FinishStartsOver) {
  Sha256 hash;
  hash.Update("xyz", 3);
  (void)hash.Finish();
  hash.Update("abc", 3);
  EXPECT_EQ(HexOf(hash.Finish()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

class Sha256FileTest : public SimTest {};

TEST_F(Sha256FileTest, FileOfSeveralChunksHashesLikeItsBytes) {
  // Three chunks and one byte more.
  const std::string content = Pattern(3 * 64 * 1024 + 1);
  WriteFile("C:\\Data\\Large.bin", content);
  WriteFile("C:\\Data\\Empty.bin", "");
  EXPECT_EQ(Sha256HexOfFile("C:\\Data\\Large.bin"), Hex(content));
  EXPECT_EQ(Sha256HexOfFile("C:\\data\\large.BIN"),
            "c34d1300e4303bcffb380c4f7fc2377044ff32fac8ac7558f0909274b8bb5161");
  EXPECT_EQ(Sha256HexOfFile("C:\\Data\\Empty.bin"),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST_F(Sha256FileTest, FileThatCannotBeOpenedGivesNothing) {
  EXPECT_EQ(Sha256HexOfFile("C:\\Data\\Missing.bin"), std::nullopt);
  EXPECT_EQ(Sha256HexOfFile("C:\\WINDOWS"), std::nullopt) << "a folder";
}

}  // namespace
