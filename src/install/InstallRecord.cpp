#include "install/InstallRecord.h"

#include <exception>

#include "install/RecordFields.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "setupdata/Sha256.h"

const char* const kInstallRecordFileName = "InstallRecord.txt";

namespace {

constexpr const char* kFirstLine = "Korvello installation record 1";
constexpr const char* kLastLine = "end";
constexpr const char* kLineEnd = "\r\n";

using record::Ansi;
using record::Damaged;
using record::Expect;
using record::Fields;
using record::Utf8;

AnsiString InsidePath(const std::string& field) {
  AnsiString path = Ansi(field);
  if (!record::IsInsidePath(path)) throw Damaged{"a path outside the install folder: " + field};
  return path;
}

std::uint64_t Number(const std::string& field) {
  const auto number = record::NumberOf(field);
  if (!number) throw Damaged{"not a number: " + field};
  return *number;
}

platform::RootKey Root(const std::string& field) {
  const auto root = record::RootOf(field);
  if (!root) throw Damaged{"not a registry root: " + field};
  return *root;
}

AnsiString KeyPath(const std::string& field) {
  AnsiString key = Ansi(field);
  if (key.empty()) throw Damaged{"an empty registry key"};
  for (char c : key) {
    if (static_cast<unsigned char>(c) < 32)
      throw Damaged{"a registry key with a control character"};
  }
  return key;
}

std::optional<platform::RawValue> Value(const std::string& field) {
  const auto value = record::ValueOfField(field);
  if (!value) throw Damaged{"a damaged registry value: " + field};
  return *value;
}

bool IsSha256(const AnsiString& text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

void ReadLine(const Fields& fields, InstallRecord& record) {
  const std::string& kind = fields[0];
  if (kind == "version") {
    Expect(fields, 2);
    record.version = Ansi(fields[1]);
  } else if (kind == "installfolder") {
    Expect(fields, 2);
    if (fields[1] != "made" && fields[1] != "existed") throw Damaged{"installfolder " + fields[1]};
    record.madeInstallFolder = fields[1] == "made";
  } else if (kind == "folder") {
    Expect(fields, 2);
    record.folders.push_back(InsidePath(fields[1]));
  } else if (kind == "file") {
    Expect(fields, 6);
    RecordedFile file;
    file.path = InsidePath(fields[1]);
    file.size = Number(fields[2]);
    file.writeTime = Number(fields[3]);
    if (fields[4] != "-") {
      if (!IsSha256(fields[4])) throw Damaged{"a damaged sum"};
      file.sha256 = fields[4];
    }
    if (fields[5] != "new" && fields[5] != "replaced") throw Damaged{"file " + fields[5]};
    file.replaced = fields[5] == "replaced";
    record.files.push_back(file);
  } else if (kind == "key") {
    Expect(fields, 3);
    record.keys.push_back({Root(fields[1]), KeyPath(fields[2])});
  } else if (kind == "value") {
    Expect(fields, 6);
    RecordedValue value;
    value.root = Root(fields[1]);
    value.key = KeyPath(fields[2]);
    value.name = Ansi(fields[3]);
    const auto written = Value(fields[4]);
    if (!written) throw Damaged{"a written value that is none"};
    value.written = *written;
    value.before = Value(fields[5]);
    record.values.push_back(value);
  } else if (kind == "shortcut" || kind == "group") {
    Expect(fields, 2);
    AnsiString name = InsidePath(fields[1]);
    if (LastDelimiter(name, "\\") != AnsiString::npos) throw Damaged{kind + " in a subfolder"};
    (kind == "shortcut" ? record.shortcut : record.programGroup) = name;
  } else {
    throw Damaged{"an unknown line: " + kind};
  }
}

}  // namespace

const RecordedFile* InstallRecord::FindFile(const AnsiString& relative) const {
  for (const RecordedFile& file : files) {
    if (SameTextAscii(file.path, relative)) return &file;
  }
  return nullptr;
}

bool StillAsRecorded(const AnsiString& path, const RecordedFile& recorded) {
  const auto stamp = platform::StampOf(path);
  if (!stamp) return false;
  if (stamp->size == recorded.size && stamp->writeTime == recorded.writeTime) return true;
  // Without the entry's sum a change cannot be told from the same bytes written again.
  if (recorded.sha256.empty()) return false;
  const auto sum = Sha256HexOfFile(path);
  return sum && *sum == recorded.sha256;
}

std::string RecordText(const InstallRecord& record) {
  std::string text = std::string(kFirstLine) + kLineEnd;
  const auto line = [&text](const Fields& fields) {
    text += record::JoinFields(fields) + kLineEnd;
  };
  line({"version", Utf8(record.version)});
  line({"installfolder", record.madeInstallFolder ? "made" : "existed"});
  for (const AnsiString& folder : record.folders) line({"folder", Utf8(folder)});
  for (const RecordedFile& file : record.files) {
    line({"file", Utf8(file.path), record::DecimalOf(file.size), record::DecimalOf(file.writeTime),
          file.sha256.empty() ? "-" : file.sha256, file.replaced ? "replaced" : "new"});
  }
  for (const RecordedKey& key : record.keys)
    line({"key", record::RootName(key.root), Utf8(key.key)});
  for (const RecordedValue& value : record.values) {
    line({"value", record::RootName(value.root), Utf8(value.key), Utf8(value.name),
          record::ValueField(value.written), record::ValueField(value.before)});
  }
  if (!record.shortcut.empty()) line({"shortcut", Utf8(record.shortcut)});
  if (!record.programGroup.empty()) line({"group", Utf8(record.programGroup)});
  text += std::string(kLastLine) + kLineEnd;
  return text;
}

std::optional<InstallRecord> ParseRecord(const std::string& text, AnsiString* why) {
  const auto refuse = [why](const std::string& reason) -> std::optional<InstallRecord> {
    if (why) *why = reason;
    return std::nullopt;
  };
  const std::vector<AnsiString> lines = SplitLines(text);
  if (lines.empty() || lines.front() != kFirstLine)
    return refuse("not a record of a known version");
  if (lines.back() != kLastLine) return refuse("the record is cut short");
  InstallRecord record;
  try {
    for (std::size_t index = 1; index + 1 < lines.size(); ++index) {
      ReadLine(record::SplitFields(lines[index]), record);
    }
  } catch (const Damaged& damaged) {
    return refuse(damaged.why);
  }
  return record;
}

std::optional<InstallRecord> ReadInstallRecord(const AnsiString& installFolder, AnsiString* why) {
  const AnsiString path = installFolder + kInstallRecordFileName;
  if (!platform::FileExists(path)) {
    if (why) *why = "there is no record";
    return std::nullopt;
  }
  std::string text;
  try {
    text = platform::ReadWholeFile(path);
  } catch (const std::exception& error) {
    if (why) *why = error.what();
    return std::nullopt;
  }
  return ParseRecord(text, why);
}

void WriteInstallRecord(const AnsiString& installFolder, const InstallRecord& record) {
  const std::string text = RecordText(record);
  platform::ReplaceFileAtomically(installFolder + kInstallRecordFileName, text.data(), text.size());
}

void RecordFileAsItIs(const AnsiString& installFolder, const AnsiString& relative) {
  auto record = ReadInstallRecord(installFolder);
  const auto stamp = platform::StampOf(installFolder + relative);
  if (!record || !stamp) return;
  RecordedFile file;
  file.path = relative;
  file.size = stamp->size;
  file.writeTime = stamp->writeTime;
  if (const auto sum = Sha256HexOfFile(installFolder + relative)) file.sha256 = *sum;
  bool known = false;
  for (RecordedFile& recorded : record->files) {
    if (!SameTextAscii(recorded.path, relative)) continue;
    file.replaced = recorded.replaced;
    recorded = file;
    known = true;
  }
  if (!known) record->files.push_back(file);
  try {
    WriteInstallRecord(installFolder, *record);
  } catch (const std::exception&) {
    // The file then stays when the installation is removed, as one the product wrote.
  }
}
