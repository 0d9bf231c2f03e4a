#include "install/RunJournal.h"

#include <exception>

#include "install/RecordFields.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Shell.h"

namespace {

constexpr const char* kFirstLine = "Korvello setup journal 1";
constexpr const char* kFolderName = "KorvelloSetup";
constexpr const char* kFileName = "run.journal";
constexpr const char* kLineEnd = "\r\n";

using record::Ansi;
using record::Damaged;
using record::Expect;
using record::Fields;
using record::Utf8;

AnsiString FullPath(const std::string& field) {
  AnsiString path = Ansi(field);
  if (!record::IsAbsoluteDrivePath(path)) throw Damaged{"not a full path: " + field};
  return path;
}

RunChange ChangeOf(const Fields& fields) {
  RunChange change;
  const std::string& kind = fields[0];
  if (kind == "folder" || kind == "new") {
    Expect(fields, 2);
    change.kind = kind == "folder" ? RunChange::Kind::Folder : RunChange::Kind::NewFile;
    change.path = FullPath(fields[1]);
  } else if (kind == "aside") {
    Expect(fields, 3);
    change.kind = RunChange::Kind::MovedAside;
    change.path = FullPath(fields[1]);
    change.aside = FullPath(fields[2]);
  } else if (kind == "outside") {
    Expect(fields, 3);
    change.kind = RunChange::Kind::OutsideFile;
    change.path = FullPath(fields[1]);
    if (fields[2] != "none") {
      change.earlierBytes = record::BytesOfHex(fields[2]);
      if (!change.earlierBytes) throw Damaged{"damaged earlier bytes"};
    }
  } else if (kind == "key" || kind == "value") {
    Expect(fields, kind == "key" ? 3 : 5);
    change.kind = kind == "key" ? RunChange::Kind::Key : RunChange::Kind::Value;
    const auto root = record::RootOf(fields[1]);
    if (!root) throw Damaged{"not a registry root: " + fields[1]};
    change.root = *root;
    change.path = Ansi(fields[2]);
    if (change.path.empty()) throw Damaged{"an empty registry key"};
    if (kind == "value") {
      change.name = Ansi(fields[3]);
      const auto before = record::ValueOfField(fields[4]);
      if (!before) throw Damaged{"a damaged registry value"};
      change.before = *before;
    }
  } else if (kind == "group") {
    Expect(fields, 2);
    change.kind = RunChange::Kind::ProgramGroup;
    change.path = Ansi(fields[1]);
    if (!record::IsInsidePath(change.path)) throw Damaged{"a damaged group name"};
  } else {
    throw Damaged{"an unknown line: " + kind};
  }
  return change;
}

}  // namespace

std::string JournalHeader() { return std::string(kFirstLine) + kLineEnd; }

std::string JournalLine(const RunChange& change) {
  Fields fields;
  switch (change.kind) {
    case RunChange::Kind::Folder:
      fields = {"folder", Utf8(change.path)};
      break;
    case RunChange::Kind::NewFile:
      fields = {"new", Utf8(change.path)};
      break;
    case RunChange::Kind::MovedAside:
      fields = {"aside", Utf8(change.path), Utf8(change.aside)};
      break;
    case RunChange::Kind::OutsideFile:
      fields = {"outside", Utf8(change.path),
                change.earlierBytes ? record::HexOf(*change.earlierBytes) : "none"};
      break;
    case RunChange::Kind::Key:
      fields = {"key", record::RootName(change.root), Utf8(change.path)};
      break;
    case RunChange::Kind::Value:
      fields = {"value", record::RootName(change.root), Utf8(change.path), Utf8(change.name),
                record::ValueField(change.before)};
      break;
    case RunChange::Kind::ProgramGroup:
      fields = {"group", Utf8(change.path)};
      break;
  }
  return record::JoinFields(fields) + kLineEnd;
}

std::optional<std::vector<RunChange>> ParseJournal(const std::string& text, AnsiString* why) {
  const auto refuse = [why](const std::string& reason) -> std::optional<std::vector<RunChange>> {
    if (why) *why = reason;
    return std::nullopt;
  };
  const std::string header = JournalHeader();
  if (text.compare(0, header.size(), header) != 0)
    return refuse("not a journal of a known version");
  std::vector<RunChange> changes;
  std::size_t at = header.size();
  while (at < text.size()) {
    const std::size_t end = text.find(kLineEnd, at);
    // The last line without its end was being written when the process ended.
    if (end == std::string::npos) break;
    try {
      changes.push_back(ChangeOf(record::SplitFields(text.substr(at, end - at))));
    } catch (const Damaged& damaged) {
      return refuse(damaged.why);
    }
    at = end + 2;
  }
  return changes;
}

AnsiString RunJournal::Folder() { return platform::CommonAppDataFolder() + "\\" + kFolderName; }

AnsiString RunJournal::FilePath() { return Folder() + "\\" + kFileName; }

std::unique_ptr<RunJournal> RunJournal::Begin(AnsiString* why) {
  if (platform::CommonAppDataFolder().empty()) {
    if (why) *why = "the system names no common application data folder";
    return nullptr;
  }
  if (!platform::EnsureAdministratorsFolder(Folder(), why)) return nullptr;
  // What an earlier run could not undo waits there for the next setup: never written over.
  if (platform::FileExists(FilePath())) {
    if (why) *why = "an earlier run's journal is still waiting to be undone";
    return nullptr;
  }
  const std::string header = JournalHeader();
  try {
    platform::ReplaceFileAtomically(FilePath(), header.data(), header.size());
    return std::make_unique<RunJournal>(std::make_unique<platform::FileAppender>(FilePath()));
  } catch (const std::exception& error) {
    if (why) *why = error.what();
    return nullptr;
  }
}

std::optional<std::vector<RunChange>> RunJournal::FindUnfinished(AnsiString* why) {
  if (platform::CommonAppDataFolder().empty() || !platform::FileExists(FilePath()))
    return std::nullopt;
  AnsiString reason;
  if (!platform::EnsureAdministratorsFolder(Folder(), &reason)) {
    if (why) *why = "the journal's folder is not trusted: " + reason;
    return std::nullopt;
  }
  try {
    return ParseJournal(platform::ReadWholeFile(FilePath()), why);
  } catch (const std::exception& error) {
    if (why) *why = error.what();
    return std::nullopt;
  }
}

void RunJournal::Remove() { platform::DeleteFile(FilePath()); }

RunJournal::RunJournal(std::unique_ptr<platform::FileAppender> file) : file_(std::move(file)) {}

RunJournal::~RunJournal() = default;

void RunJournal::Append(const RunChange& change) {
  const std::string line = JournalLine(change);
  file_->Append(line.data(), line.size());
}
