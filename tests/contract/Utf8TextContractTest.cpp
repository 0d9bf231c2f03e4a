// The UTF-8 contract: the program's text written for other programs in UTF-8 and read back, and
// what cannot be read back as code page 936 text refused rather than mangled.
#include <string>

#include "contract/ContractEnv.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"

namespace contract {
namespace {

TEST(Utf8TextContract, TextComesBackFromUtf8AsItWent) {
  for (const AnsiString& text :
       {AnsiString(), AnsiString("KORV.exe 1.0\r\n"), AnsiString("D:\\科维罗\\用户文件\\运行.txt"),
        AnsiString("a\0b", 3), AnsiString("全角ＡＢＣ，。")}) {
    EXPECT_EQ(Readable(platform::AnsiTextOfUtf8(platform::Utf8Text(text))), Readable(text));
  }
  EXPECT_EQ(Readable(platform::AnsiTextOfUtf8("\xE7\xA7\x91")), Readable("科"));
}

TEST(Utf8TextContract, BytesThatAreNotUtf8OrTextCodePage936LacksAreRefused) {
  const std::string cases[] = {
      "\xFF",              // never in UTF-8
      "ab\xE7\xA7",        // a character cut short
      "\xC0\xAF",          // an over-long slash
      "\xF0\x9F\x98\x80",  // an emoji: no form in code page 936
      "\xED\xA0\x80",      // a lone surrogate
  };
  for (const std::string& utf8 : cases) {
    EXPECT_THROW(platform::AnsiTextOfUtf8(utf8), EEncodingError) << Readable(utf8);
  }
}

}  // namespace
}  // namespace contract
