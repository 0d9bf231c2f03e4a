#include "install/RunChanges.h"

#include "platform/Errors.h"
#include "platform/Files.h"

namespace {

AnsiString WithoutTrailingBackslash(AnsiString path) {
  if (!path.empty() && path.back() == '\\' && LastDelimiter(path, "\\") == path.size() - 1)
    path.pop_back();
  return path;
}

// The folders from the drive root down to folder, each without its trailing backslash.
std::vector<AnsiString> FolderChain(const AnsiString& folder) {
  std::vector<AnsiString> chain;
  AnsiString path = WithoutTrailingBackslash(folder);
  while (path.size() > 3) {
    chain.insert(chain.begin(), path);
    const std::size_t separator = LastDelimiter(path, "\\");
    if (separator == AnsiString::npos) break;
    path = path.substr(0, separator);
  }
  return chain;
}

}  // namespace

RunChanges::RunChanges(AnsiString installFolder, Log log)
    : installFolder_(std::move(installFolder)), log_(std::move(log)) {}

RunChanges::~RunChanges() = default;

void RunChanges::BeginJournal() {
  AnsiString why;
  journal_ = RunJournal::Begin(&why);
  if (!journal_ && log_) log_("journal: none, the changes are kept in memory only: " + why);
}

void RunChanges::Note(RunChange change) {
  if (journal_) journal_->Append(change);
  changes_.push_back(std::move(change));
}

void RunChanges::RefuseLinksBelowInstallFolder(const AnsiString& path) const {
  // Only what lies below the install folder: a link the user chose for the install folder itself
  // is theirs to choose, and what lies outside it (the group's folder in the start menu) only
  // administrators may change. Each folder on the way is asked, at every backslash that is a
  // character of its own; the item itself is moved aside, never written through.
  if (path.size() <= installFolder_.size() ||
      !SameTextAscii(path.substr(0, installFolder_.size()), installFolder_)) {
    return;
  }
  for (std::size_t at = installFolder_.size(); at < path.size(); ++at) {
    if (IsLeadByte(path[at])) {
      ++at;
      continue;
    }
    if (path[at] == '\\' && platform::IsLink(path.substr(0, at))) {
      throw EFCreateError(
          Format("Cannot create file \"%s\". %s", path.c_str(), "A folder on the way is a link."));
    }
  }
  // A folder being made is itself on the way.
  if (platform::IsLink(WithoutTrailingBackslash(path)) && platform::DirectoryExists(path)) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", path.c_str(), "A folder on the way is a link."));
  }
}

bool RunChanges::MakeFolder(const AnsiString& folder) {
  RefuseLinksBelowInstallFolder(folder);
  for (const AnsiString& step : FolderChain(folder)) {
    if (platform::DirectoryExists(step)) continue;
    RunChange change;
    change.kind = RunChange::Kind::Folder;
    change.path = step;
    Note(change);
    if (!platform::CreateDirectory(step)) return false;
  }
  return platform::DirectoryExists(folder);
}

AnsiString RunChanges::AsideFolder() {
  if (!asideFolder_.empty()) return asideFolder_;
  AnsiString reason;
  const auto folder =
      platform::CreatePrivateFolder(WithoutTrailingBackslash(installFolder_), &reason);
  if (!folder) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", installFolder_.c_str(), reason.c_str()));
  }
  asideFolder_ = *folder;
  RunChange change;
  change.kind = RunChange::Kind::Folder;
  change.path = asideFolder_;
  Note(change);
  return asideFolder_;
}

void RunChanges::BeforeWrite(const AnsiString& path) {
  RefuseLinksBelowInstallFolder(path);
  // A file this run wrote already is simply written again: its first change undoes both.
  if (WroteAlready(path)) return;
  RunChange change;
  change.path = path;
  if (!platform::FileExists(path)) {
    change.kind = RunChange::Kind::NewFile;
    Note(change);
    return;
  }
  change.kind = RunChange::Kind::MovedAside;
  change.aside = AsideFolder() + Format("\\%u", ++asideCount_);
  Note(change);
  AnsiString reason;
  if (!platform::RenameFile(path, change.aside, &reason)) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(), reason.c_str()));
  }
}

void RunChanges::BeforeOutsideWrite(const AnsiString& path) {
  RunChange change;
  change.kind = RunChange::Kind::OutsideFile;
  change.path = path;
  if (platform::FileExists(path)) change.earlierBytes = platform::ReadWholeFile(path);
  Note(change);
}

void RunChanges::BeforeKeyCreate(platform::Registry& registry, const AnsiString& keyPath) {
  AnsiString path;
  for (std::size_t at = 0; at <= keyPath.size(); ++at) {
    if (at < keyPath.size() && IsLeadByte(keyPath[at]) && at + 1 < keyPath.size()) {
      path += keyPath[at];
      path += keyPath[++at];
      continue;
    }
    if (at == keyPath.size() || keyPath[at] == '\\') {
      if (!path.empty() && !registry.KeyExists(path)) {
        RunChange change;
        change.kind = RunChange::Kind::Key;
        change.root = registry.GetRootKey();
        change.path = path;
        Note(change);
      }
      if (at < keyPath.size()) path += '\\';
      continue;
    }
    path += keyPath[at];
  }
}

void RunChanges::BeforeValueWrite(platform::Registry& registry, const AnsiString& keyPath,
                                  const AnsiString& name) {
  RunChange change;
  change.kind = RunChange::Kind::Value;
  change.root = registry.GetRootKey();
  change.path = keyPath;
  change.name = name;
  change.before = registry.ReadRaw(name);
  Note(change);
}

void RunChanges::BeforeProgramGroup(const AnsiString& caption) {
  RunChange change;
  change.kind = RunChange::Kind::ProgramGroup;
  change.path = caption;
  Note(change);
}

bool RunChanges::RollBack(const RollbackServices& services) {
  const bool complete = ::RollBack(changes_, services);
  const bool journaled = journal_ != nullptr;
  journal_.reset();
  if (complete && journaled) RunJournal::Remove();
  changes_.clear();
  return complete;
}

void RunChanges::Commit() {
  // The journal goes first: from here on nothing may undo the completed installation, even if
  // the process ends before the earlier files are deleted.
  if (journal_) {
    journal_.reset();
    RunJournal::Remove();
  }
  for (const RunChange& change : changes_) {
    if (change.kind != RunChange::Kind::MovedAside) continue;
    platform::MakeReplaceable(change.aside);
    if (!platform::DeleteFile(change.aside) && log_) log_("could not delete " + change.aside);
  }
  if (!asideFolder_.empty() && !platform::RemoveDirectory(asideFolder_) && log_)
    log_("could not remove " + asideFolder_);
  changes_.clear();
}

bool RunChanges::WroteAlready(const AnsiString& path) const {
  for (const RunChange& change : changes_) {
    const bool written =
        change.kind == RunChange::Kind::NewFile || change.kind == RunChange::Kind::MovedAside;
    if (written && SameTextAscii(change.path, path)) return true;
  }
  return false;
}

bool RunChanges::Replaced(const AnsiString& path) const {
  for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
    if (!SameTextAscii(change->path, path)) continue;
    if (change->kind == RunChange::Kind::MovedAside) return true;
    if (change->kind == RunChange::Kind::NewFile) return false;
  }
  return false;
}
