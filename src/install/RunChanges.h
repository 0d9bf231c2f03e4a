#pragma once
// What the installation run changes on the machine, noted in the journal before each change is
// made, so that a run that does not complete can be undone, whatever ends it. An earlier file
// is not overwritten but moved aside into a folder of the run's own on the same volume, and
// deleted only once the run has completed.
#include <functional>
#include <memory>
#include <vector>

#include "install/Rollback.h"
#include "install/RunJournal.h"
#include "platform/AnsiString.h"
#include "platform/Registry.h"

class RunChanges {
 public:
  using Log = std::function<void(const AnsiString&)>;

  // installFolder ends in a backslash; the earlier files go into a private folder below it.
  RunChanges(AnsiString installFolder, Log log);
  ~RunChanges();
  RunChanges(const RunChanges&) = delete;
  RunChanges& operator=(const RunChanges&) = delete;

  // Starts the journal at its fixed place; without it the changes are kept in memory only, and
  // the log says why.
  void BeginJournal();

  // Makes folder and its missing parents, each one noted first. False when it cannot be made.
  bool MakeFolder(const AnsiString& folder);
  // Before a file below the install folder is written whole: an earlier file there is moved
  // aside, otherwise the file is noted as new. Throws EFCreateError with the system's reason
  // when the earlier file cannot be moved (it is in use, say): the write must not happen then.
  void BeforeWrite(const AnsiString& path);
  // Before a file outside the install folder (a link) is written: its earlier bytes are noted.
  void BeforeOutsideWrite(const AnsiString& path);
  // Before keyPath is opened with creation: each key on its way that is missing is noted.
  void BeforeKeyCreate(platform::Registry& registry, const AnsiString& keyPath);
  // Before value name of the open key keyPath is written: what it holds now is noted.
  void BeforeValueWrite(platform::Registry& registry, const AnsiString& keyPath,
                        const AnsiString& name);
  void BeforeProgramGroup(const AnsiString& caption);

  // Undoes every change in reverse order; the journal goes when that is complete. True then.
  bool RollBack(const RollbackServices& services);
  // The run completed: the earlier files moved aside are deleted, and the journal goes.
  void Commit();

  const std::vector<RunChange>& Changes() const { return changes_; }
  // Whether the last file written at path replaced an earlier one.
  bool Replaced(const AnsiString& path) const;

 private:
  void Note(RunChange change);
  bool WroteAlready(const AnsiString& path) const;
  // Below the install folder (on a drive every signed-in user may change), a link put where a
  // folder was would lead the elevated run's writes anywhere: such a path fails the run.
  void RefuseLinksBelowInstallFolder(const AnsiString& path) const;
  // The folder for earlier files; made on first use.
  AnsiString AsideFolder();

  AnsiString installFolder_;
  Log log_;
  std::unique_ptr<RunJournal> journal_;
  AnsiString asideFolder_;
  unsigned asideCount_ = 0;
  std::vector<RunChange> changes_;
};
