// The installation record and the run journal as texts: what the run writes reads back whole,
// and a damaged text, one of an unknown version or one naming a path outside the install folder
// is refused as a whole.
#include <gtest/gtest.h>

#include <string>

#include "install/InstallRecord.h"
#include "install/RunJournal.h"

namespace {

// "软件\说明" with a CP936 character whose trail byte is a backslash in between: 0x95 0x5C.
const AnsiString kTrailBackslashName = "SdbFile\\\x95\x5C.txt";

InstallRecord SampleRecord() {
  InstallRecord record;
  record.version = "02080308";
  record.madeInstallFolder = true;
  record.folders = {"SdbFile", "SdbFile\\Image"};
  record.files = {{"KORV.exe", 12, 133000000000000000ull, std::string(64, 'a'), false},
                  {kTrailBackslashName, 0, 1, "", true}};
  record.keys = {{platform::RootKey::ClassesRoot, "Software\\KORVL"}};
  RecordedValue serial;
  serial.key = "Software\\KORVL\\Shell\\Serial";
  serial.name = "Serial";
  serial.written = {1, "02080308"};
  RecordedValue icon;
  icon.root = platform::RootKey::ClassesRoot;
  icon.key = ".Orv";
  icon.written = {4, std::string("\x01\x00\x00\x00", 4)};
  icon.before = platform::RawValue{3, std::string("\t\r\n\0", 4)};
  record.values = {serial, icon};
  record.shortcut = "Korvello.lnk";
  record.programGroup = "科维罗";
  return record;
}

TEST(InstallRecordTest, WhatTheRunWritesReadsBackWhole) {
  const InstallRecord record = SampleRecord();
  const std::string text = RecordText(record);
  EXPECT_EQ(text.rfind("Korvello installation record 1\r\n", 0), 0u);
  AnsiString why;
  const auto read = ParseRecord(text, &why);
  ASSERT_TRUE(read.has_value()) << why;
  EXPECT_EQ(RecordText(*read), text);
  ASSERT_EQ(read->files.size(), 2u);
  EXPECT_EQ(read->files[1].path, kTrailBackslashName);
  EXPECT_TRUE(read->files[1].replaced);
  EXPECT_EQ(read->files[0].writeTime, 133000000000000000ull);
  ASSERT_EQ(read->values.size(), 2u);
  ASSERT_TRUE(read->values[1].before.has_value());
  EXPECT_EQ(read->values[1].before->data, std::string("\t\r\n\0", 4));
  EXPECT_FALSE(read->values[0].before.has_value());
  EXPECT_EQ(read->programGroup, "科维罗");
  ASSERT_NE(read->FindFile("korv.EXE"), nullptr);
  EXPECT_EQ(read->FindFile("KORV.dll"), nullptr);
}

struct RefusedCase {
  const char* what;
  std::string text;
};

class RefusedRecordTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedRecordTest, IsRefusedAsAWholeWithAReason) {
  AnsiString why;
  EXPECT_FALSE(ParseRecord(GetParam().text, &why).has_value());
  EXPECT_FALSE(why.empty());
}

std::string Record(const std::string& lines) {
  return "Korvello installation record 1\r\n" + lines + "end\r\n";
}

const std::string kSum(64, 'b');

INSTANTIATE_TEST_SUITE_P(
    Texts, RefusedRecordTest,
    ::testing::Values(
        RefusedCase{"empty", ""},
        RefusedCase{"another version", "Korvello installation record 2\r\nend\r\n"},
        RefusedCase{"cut short", "Korvello installation record 1\r\nfolder\tSdbFile\r\n"},
        RefusedCase{"an unknown line", Record("delete\tC:\\Windows\r\n")},
        RefusedCase{"a line with a field too many", Record("folder\tSdbFile\tx\r\n")},
        RefusedCase{"a parent folder", Record("folder\tSdbFile\\..\\..\\Windows\r\n")},
        RefusedCase{"a full path", Record("file\tC:\\Windows\\x.dll\t1\t1\t-\tnew\r\n")},
        RefusedCase{"a drive-relative path", Record("file\tC:x.dll\t1\t1\t-\tnew\r\n")},
        RefusedCase{"a rooted path", Record("folder\t\\Windows\r\n")},
        RefusedCase{"a network path", Record("folder\t\\\\server\\share\r\n")},
        RefusedCase{"an empty component", Record("folder\tSdbFile\\\\Image\r\n")},
        RefusedCase{"a slash", Record("folder\tSdbFile/../x\r\n")},
        RefusedCase{"a size that is no number", Record("file\tx.txt\t-1\t1\t-\tnew\r\n")},
        RefusedCase{"a size over 64 bits",
                    Record("file\tx.txt\t18446744073709551616\t1\t-\tnew\r\n")},
        RefusedCase{"a short sum", Record("file\tx.txt\t1\t1\tabc\tnew\r\n")},
        RefusedCase{"an empty sum", Record("file\tx.txt\t1\t1\t\tnew\r\n")},
        RefusedCase{"an unknown file state", Record("file\tx.txt\t1\t1\t" + kSum + "\tmoved\r\n")},
        RefusedCase{"an unknown root", Record("key\tHKLM\tSoftware\\KORVL\r\n")},
        RefusedCase{"damaged value data", Record("value\tHKCU\tk\tn\t1:3g\tnone\r\n")},
        RefusedCase{"a written value that is none", Record("value\tHKCU\tk\tn\tnone\tnone\r\n")},
        RefusedCase{"a shortcut in a folder", Record("shortcut\t..\\x.lnk\r\n")},
        RefusedCase{"text that is not UTF-8", Record("folder\t\xC0\xAF\r\n")},
        RefusedCase{"lines after the end", Record("") + "folder\tx\r\n"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) name += std::isalnum(c) ? c : '_';
      return name;
    });

RunChange Change(RunChange::Kind kind, const AnsiString& path) {
  RunChange change;
  change.kind = kind;
  change.path = path;
  return change;
}

TEST(RunJournalTextTest, ListsEachChangeAndLeavesOutALastLineCutShort) {
  RunChange aside = Change(RunChange::Kind::MovedAside, "D:\\Korvl280\\KORV.exe");
  aside.aside = "D:\\Korvl280\\KorvSetup-0001\\1";
  RunChange link = Change(RunChange::Kind::OutsideFile, "C:\\Users\\Public\\Desktop\\K.lnk");
  link.earlierBytes = std::string("L\0\0\0", 4);
  RunChange value = Change(RunChange::Kind::Value, "Software\\KORVL\\Shell\\Serial");
  value.name = "Serial";
  value.before = platform::RawValue{1, "02070000"};
  const std::vector<RunChange> changes = {
      Change(RunChange::Kind::Folder, "D:\\Korvl280"),
      Change(RunChange::Kind::NewFile, "D:\\Korvl280\\" + kTrailBackslashName),
      aside,
      link,
      Change(RunChange::Kind::Key, "Software\\KORVL"),
      value,
      Change(RunChange::Kind::ProgramGroup, "科维罗")};
  std::string text = JournalHeader();
  for (const RunChange& change : changes) text += JournalLine(change);
  const std::string whole = text;
  text += "new\tD:\\Korvl280\\Sdb";  // the process ended while this line was written

  for (const std::string& journal : {whole, text}) {
    AnsiString why;
    const auto read = ParseJournal(journal, &why);
    ASSERT_TRUE(read.has_value()) << why;
    ASSERT_EQ(read->size(), changes.size());
    std::string again = JournalHeader();
    for (const RunChange& change : *read) again += JournalLine(change);
    EXPECT_EQ(again, whole);
  }
}

TEST(RunJournalTextTest, ADamagedLineOrAPathThatIsNotFullRefusesTheJournal) {
  const std::string header = JournalHeader();
  for (const std::string& text :
       {std::string("Korvello setup journal 2\r\n"), header + "new\tKORV.exe\r\n",
        header + "new\tD:\\a\\..\\..\\Windows\\x.dll\r\n", header + "erase\tD:\\x\r\n",
        header + "outside\tC:\\x.lnk\tzz\r\n" + "new\tD:\\x\r\n"}) {
    AnsiString why;
    EXPECT_FALSE(ParseJournal(text, &why).has_value()) << text;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
