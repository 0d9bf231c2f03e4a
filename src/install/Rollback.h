#pragma once
// Undoing a run that did not complete: its changes in reverse order, each one as far as the
// machine still allows. An undo that fails is logged and the rest goes on.
#include <functional>
#include <vector>

#include "install/RunJournal.h"

struct RollbackServices {
  std::function<void(const AnsiString&)> log;
  // Removes the program group of this name (Program Manager's or the folder of links).
  std::function<void(const AnsiString&)> removeProgramGroup;
};

// True when every change was undone.
bool RollBack(const std::vector<RunChange>& changes, const RollbackServices& services);

// Finds the journal of a run that was killed and undoes it; the journal goes when the rollback
// is complete. Every outcome is logged, the first line starting "recovery: ".
void RecoverUnfinishedRun(const RollbackServices& services);
