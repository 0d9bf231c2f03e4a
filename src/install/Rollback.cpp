#include "install/Rollback.h"

#include <exception>

#include "platform/Files.h"
#include "platform/Registry.h"

namespace {

// The folder a path is in, without its trailing backslash.
AnsiString ParentOf(const AnsiString& path) {
  const std::size_t separator = LastDelimiter(path, "\\");
  return separator == AnsiString::npos ? AnsiString() : path.substr(0, separator);
}

// Someone may have put a link where a folder of the run was, since: nothing is removed or moved
// through it, wherever it leads.
bool ReachedThroughLink(const AnsiString& path) {
  return platform::PassesThroughLink(ParentOf(path));
}

bool UndoFile(const AnsiString& path) {
  if (ReachedThroughLink(path)) return false;
  if (!platform::FileExists(path)) return true;
  // A file the run wrote may carry marks the system keeps from being deleted.
  platform::MakeReplaceable(path);
  return platform::DeleteFile(path);
}

bool UndoMovedAside(const RunChange& change) {
  // The earlier file was never moved when it is not aside: whatever stands there is it.
  if (ReachedThroughLink(change.aside)) return false;
  if (!platform::FileExists(change.aside)) return true;
  if (!UndoFile(change.path)) return false;
  return platform::RenameFile(change.aside, change.path);
}

bool UndoOutsideFile(const RunChange& change) {
  if (!change.earlierBytes) return UndoFile(change.path);
  platform::MakeReplaceable(change.path);
  platform::WriteWholeFile(change.path, change.earlierBytes->data(), change.earlierBytes->size());
  return true;
}

bool UndoValue(const RunChange& change) {
  platform::Registry registry;
  registry.SetRootKey(change.root);
  if (!registry.OpenKey(change.path, false)) return !change.before.has_value();
  if (change.before) {
    registry.WriteRaw(change.name, *change.before);
    return true;
  }
  if (!registry.ReadRaw(change.name)) return true;
  return registry.DeleteValue(change.name);
}

bool UndoKey(const RunChange& change) {
  platform::Registry registry;
  registry.SetRootKey(change.root);
  if (!registry.KeyExists(change.path)) return true;
  return registry.DeleteKeyIfEmpty(change.path);
}

// A folder the run made goes when it is empty; one that holds what someone else put there
// stays, as it should.
bool UndoFolder(const RunChange& change) {
  AnsiString folder = change.path;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (ReachedThroughLink(folder)) return false;
  platform::RemoveDirectory(folder);
  return true;
}

bool Undo(const RunChange& change, const RollbackServices& services) {
  switch (change.kind) {
    case RunChange::Kind::Folder:
      return UndoFolder(change);
    case RunChange::Kind::NewFile:
      return UndoFile(change.path);
    case RunChange::Kind::MovedAside:
      return UndoMovedAside(change);
    case RunChange::Kind::OutsideFile:
      return UndoOutsideFile(change);
    case RunChange::Kind::Key:
      return UndoKey(change);
    case RunChange::Kind::Value:
      return UndoValue(change);
    case RunChange::Kind::ProgramGroup:
      if (services.removeProgramGroup) services.removeProgramGroup(change.path);
      return true;
  }
  return false;
}

const char* Describe(RunChange::Kind kind) {
  switch (kind) {
    case RunChange::Kind::Folder:
      return "folder (removed when empty)";
    case RunChange::Kind::NewFile:
      return "file";
    case RunChange::Kind::MovedAside:
      return "earlier file";
    case RunChange::Kind::OutsideFile:
      return "link";
    case RunChange::Kind::Key:
      return "registry key";
    case RunChange::Kind::Value:
      return "registry value";
    case RunChange::Kind::ProgramGroup:
      return "program group";
  }
  return "change";
}

}  // namespace

bool RollBack(const std::vector<RunChange>& changes, const RollbackServices& services) {
  bool complete = true;
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    bool undone = false;
    try {
      undone = Undo(*change, services);
    } catch (const std::exception& error) {
      if (services.log) services.log(AnsiString("rollback: ") + error.what());
    }
    const AnsiString what =
        change->kind == RunChange::Kind::Value ? change->path + "\\" + change->name : change->path;
    if (services.log) {
      services.log(Format("rollback: %s %s %s", Describe(change->kind), what.c_str(),
                          undone ? "undone" : "could not be undone"));
    }
    complete = complete && undone;
  }
  return complete;
}

void RecoverUnfinishedRun(const RollbackServices& services) {
  AnsiString why;
  const auto changes = RunJournal::FindUnfinished(&why);
  if (!changes) {
    if (!why.empty() && services.log) services.log("recovery: a journal was left alone: " + why);
    return;
  }
  if (services.log) {
    services.log(Format("recovery: rolling back an unfinished installation (%u changes)",
                        static_cast<unsigned>(changes->size())));
  }
  if (RollBack(*changes, services)) {
    RunJournal::Remove();
    if (services.log) services.log("recovery: rolled back the unfinished installation");
  } else if (services.log) {
    services.log(
        "recovery: some changes could not be undone; the journal stays for the next setup");
  }
}
