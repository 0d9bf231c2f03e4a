#pragma once
// Removing an installation: what its record names, as far as it is still what the setup put
// there. A file the user changed since stays, and so does whatever the user or the product added
// (the folders holding it stay with it); a registry value someone else changed stays; the
// desktop shortcut goes only while it still starts the installed program. The uninstall entry
// goes last, and only when everything else went, so a removal that failed can be started again.
// An installation made before records existed is removed from its manifest, within the install
// folder only.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "install/InstallRecord.h"
#include "platform/AnsiString.h"

struct Installation {
  AnsiString folder;  // the install folder, ending in a backslash
  InstallRecord record;
  // Made from the manifest Setup.log: the files it lists, their folders, no registry values but
  // the uninstall entry.
  bool fromManifest = false;
  // The uninstaller's own file, when it runs from the install folder: it goes once the
  // uninstaller has ended, with the folder, and is no file kept.
  AnsiString runningProgram;
};

// The installation in folder (ending in a backslash) that the record text describes; nothing,
// with the reason in *why, when the record is damaged or names anything outside the folder.
std::optional<Installation> InstallationOfRecord(const AnsiString& folder,
                                                 const std::string& recordText,
                                                 AnsiString* why = nullptr);
// The installation in folder as its manifest Setup.log lists it; nothing, with the reason in
// *why, when there is none or a line names anything outside the folder.
std::optional<Installation> InstallationOfManifest(const AnsiString& folder,
                                                   AnsiString* why = nullptr);

// Why nothing of the installation may be removed: the install folder, or a folder on the way to
// anything it names, is a link or junction that could lead anywhere. Empty when nothing is.
AnsiString RefusalOf(const Installation& installation);

struct RemovalServices {
  std::function<void(const AnsiString&)> log;
  // Removes the program group of this name (Program Manager's, or the folder of links).
  std::function<void(const AnsiString&)> removeProgramGroup;
  // How far the removal is, 0 to 100.
  std::function<void(int)> progress;
};

struct RemovalOutcome {
  std::vector<AnsiString> changedFiles;  // kept: changed since they were installed (full paths)
  std::vector<AnsiString> keptFolders;   // kept: they hold what the setup did not put there
  std::vector<AnsiString> atRestart;     // in use now: the system deletes them when it next starts
  std::vector<AnsiString> failed;        // could not be removed
  bool entryRemoved = false;             // the uninstall entry went (everything else did)
};

// Removes the installation; refuses nothing itself (RefusalOf comes first). Every step is
// logged.
RemovalOutcome RemoveInstallation(const Installation& installation,
                                  const RemovalServices& services);
