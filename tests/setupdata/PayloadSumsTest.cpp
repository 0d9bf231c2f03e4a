// The payload sums the packer carries: a good text read entry by entry, names and types found
// without regard to case, every damage refused as a whole, and the entry read from the module.
#include <string>

#include <gtest/gtest.h>

#include "setupdata/PayloadSums.h"
#include "support/SimTest.h"

namespace {

const std::string kDigestA(64, 'a');
const std::string kDigestB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

std::string GoodText() {
  return "Korvello payload sums 2\r\n"
         "FileExe exename 18 " +
         kDigestA +
         " raw 18\r\n"
         "CYLibDB1d DBname1 0 " +
         kDigestB +
         " zstd 9\r\n"
         "total 18\r\n";
}

TEST(PayloadSumsTest, GoodTextGivesEachEntryAndTheTotal) {
  for (const std::string& text : {GoodText(), GoodText().substr(0, GoodText().size() - 2)}) {
    const auto sums = PayloadSums::Parse(text);
    ASSERT_TRUE(sums.has_value()) << (text.size() < GoodText().size() ? "without the last CR LF"
                                                                      : "with the last CR LF");
    EXPECT_EQ(sums->TotalBytes(), 18u);
    const EntrySum* exe = sums->Find("FileExe", "exename");
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(exe->size, 18u);
    EXPECT_EQ(exe->sha256, kDigestA);
    EXPECT_EQ(exe->form, StoredForm::kRaw);
    EXPECT_EQ(exe->storedSize, 18u);
    const EntrySum* database = sums->Find("CYLibDB1d", "DBname1");
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(database->size, 0u);
    EXPECT_EQ(database->sha256, kDigestB);
    EXPECT_EQ(database->form, StoredForm::kZstd);
    EXPECT_EQ(database->storedSize, 9u);
  }
}

TEST(PayloadSumsTest, FindIgnoresAsciiCaseAndKnowsNoOtherEntry) {
  const auto sums = PayloadSums::Parse(GoodText());
  ASSERT_TRUE(sums.has_value());
  EXPECT_EQ(sums->Find("FILEEXE", "EXENAME"), sums->Find("FileExe", "exename"));
  EXPECT_EQ(sums->Find("cylibdb1D", "dbNAME1"), sums->Find("CYLibDB1d", "DBname1"));
  EXPECT_NE(sums->Find("fileexe", "exename"), nullptr);
  EXPECT_EQ(sums->Find("FileExe", "txtname"), nullptr) << "same name, other type";
  EXPECT_EQ(sums->Find("exename", "FileExe"), nullptr) << "name and type swapped";
  EXPECT_EQ(sums->Find("FileTxt1", "txtname"), nullptr);
}

TEST(PayloadSumsTest, NoEntriesAndALargeTotalAreRead) {
  const auto sums = PayloadSums::Parse("Korvello payload sums 2\r\ntotal 18446744073709551615\r\n");
  ASSERT_TRUE(sums.has_value());
  EXPECT_EQ(sums->TotalBytes(), 18446744073709551615u);
  EXPECT_EQ(sums->Find("FileExe", "exename"), nullptr);
}

TEST(PayloadSumsTest, DamagedTextIsRefusedAsAWhole) {
  const std::string head = "Korvello payload sums 2\r\n";
  const std::string line = "FileExe exename 18 " + kDigestA + " raw 18\r\n";
  const std::string total = "total 18\r\n";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"first line only", head},
      {"no total", head + line},
      {"the version without stored forms",
       "Korvello payload sums 1\r\nFileExe exename 18 " + kDigestA + "\r\n" + total},
      {"no stored form", head + "FileExe exename 18 " + kDigestA + "\r\n" + total},
      {"no stored size", head + "FileExe exename 18 " + kDigestA + " zstd\r\n" + total},
      {"unknown stored form", head + "FileExe exename 18 " + kDigestA + " lzma 9\r\n" + total},
      {"stored form in other case",
       head + "FileExe exename 18 " + kDigestA + " ZSTD 9\r\n" + total},
      {"raw with another stored size",
       head + "FileExe exename 18 " + kDigestA + " raw 17\r\n" + total},
      {"stored size not a number",
       head + "FileExe exename 18 " + kDigestA + " zstd 9x\r\n" + total},
      {"first line in other case", "korvello payload sums 2\r\n" + line + total},
      {"first line with a trailing space", "Korvello payload sums 2 \r\n" + line + total},
      {"LF line ends", "Korvello payload sums 2\n" + line + total},
      {"a lone CR inside a line", head + "FileExe exename\r18 " + kDigestA + "\r\n" + total},
      {"a blank line", head + "\r\n" + line + total},
      {"total before the entries", head + total + line},
      {"total without a number", head + line + "total\r\n"},
      {"total with a sign", head + line + "total +18\r\n"},
      {"total beyond 64 bits", head + line + "total 18446744073709551616\r\n"},
      {"total with a leading zero", head + line + "total 018\r\n"},
      {"total in other case", head + line + "Total 18\r\n"},
      {"an entry after the total",
       head + line + total + "FileTxt1 txtname 1 " + kDigestB + " raw 1\r\n"},
      {"three fields", head + "FileExe exename 18\r\n" + total},
      {"seven fields", head + "FileExe exename 18 " + kDigestA + " raw 18 x\r\n" + total},
      {"doubled space", head + "FileExe  exename 18 " + kDigestA + " raw 18\r\n" + total},
      {"trailing space", head + "FileExe exename 18 " + kDigestA + " raw 18 \r\n" + total},
      {"size not a number", head + "FileExe exename 1x " + kDigestA + " raw 18\r\n" + total},
      {"negative size", head + "FileExe exename -1 " + kDigestA + " raw 18\r\n" + total},
      {"digest too short",
       head + "FileExe exename 18 " + kDigestA.substr(1) + " raw 18\r\n" + total},
      {"digest too long", head + "FileExe exename 18 " + kDigestA + "a raw 18\r\n" + total},
      {"digest in upper case",
       head + "FileExe exename 18 " + std::string(64, 'A') + " raw 18\r\n" + total},
      {"digest not hex",
       head + "FileExe exename 18 " + std::string(64, 'g') + " raw 18\r\n" + total},
      {"name with a dash", head + "File-Exe exename 18 " + kDigestA + " raw 18\r\n" + total},
      {"name in CP936", head + "\xCE\xC4 exename 18 " + kDigestA + " raw 18\r\n" + total},
      {"an entry listed twice",
       head + line + "FILEEXE EXENAME 18 " + kDigestB + " raw 18\r\n" + total},
      {"a NUL byte", head + line +
                         std::string("total 1\0"
                                     "8\r\n",
                                     11)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(PayloadSums::Parse(c.text).has_value()) << c.what;
  }
}

class PayloadSumsLoadTest : public SimTest {};

TEST_F(PayloadSumsLoadTest, ReadsTheEntryOfTheRunningSetup) {
  EXPECT_FALSE(PayloadSums::Load().has_value()) << "no entry";
  Machine().Module().AddResource("PAYLOADSUMS", "TXTNAME", GoodText());
  const auto sums = PayloadSums::Load();
  ASSERT_TRUE(sums.has_value());
  EXPECT_EQ(sums->TotalBytes(), 18u);
  ASSERT_NE(sums->Find("fileexe", "exename"), nullptr);
  EXPECT_EQ(sums->Find("fileexe", "exename")->sha256, kDigestA);
}

TEST_F(PayloadSumsLoadTest, DamagedEntryGivesNothing) {
  Machine().Module().AddResource("PAYLOADSUMS", "TXTNAME", GoodText().substr(0, 60));
  EXPECT_FALSE(PayloadSums::Load().has_value());
}

}  // namespace
