#pragma once
// The product's program group: four links in a start menu folder named after the wizard's
// caption. Program Manager is asked to make it; where its conversation cannot be had, or it
// refuses or leaves unanswered any command, the run makes the same folder of links itself.
#include <functional>
#include <vector>

#include "platform/AnsiString.h"

namespace gui {
class DdeClientConv;
}
class RunChanges;

struct ProgramGroupItem {
  AnsiString target;  // the file the link starts
  AnsiString title;   // the link's name in the group
};

// The group's items for an installation into folder (ending in a backslash) with the main
// executable targetName: the product, its uninstaller (uninstaller, or the folder's own when
// empty), the help file and the licence text.
std::vector<ProgramGroupItem> ProgramGroupItemsOf(const AnsiString& folder,
                                                  const AnsiString& targetName,
                                                  const AnsiString& caption,
                                                  const AnsiString& uninstaller = AnsiString());

// The items whose file exists; each one left out is logged. Program Manager refuses an item for
// a missing file, and a link to nothing helps nobody.
std::vector<ProgramGroupItem> ItemsWhoseFilesExist(const std::vector<ProgramGroupItem>& items);

// Asks Program Manager (service and topic "ProgMan") through conversation to make the group,
// waiting for each command's answer; the link is closed again however it ends. True when
// Program Manager carried out every command.
bool AskProgramManagerForGroup(gui::DdeClientConv& conversation, const AnsiString& caption,
                               const std::vector<ProgramGroupItem>& items);

// Makes the group as Program Manager would: the folder caption under the all-users programs
// folder and one link per item whose file exists (Program Manager refuses an item for a
// missing file), each starting its file in the file's own folder. An existing link of the same
// name is replaced. The folder and each link are noted in changes before they are made. Every
// outcome is logged; nothing here ends the run.
void MakeProgramGroupFolder(const AnsiString& caption, const std::vector<ProgramGroupItem>& items,
                            RunChanges& changes);

// Asks Program Manager through conversation to delete the group caption, waiting for its
// answer; the outcome goes to log. Nothing else is touched: the links the run made itself go
// back with the run's other changes.
void RemoveProgramGroup(gui::DdeClientConv& conversation, const AnsiString& caption,
                        const std::function<void(const AnsiString&)>& log);

// Removes the group caption wherever the setup made it: asks Program Manager to delete it
// (through a conversation of its own), then takes away what is left of the folder of links the
// run makes without Program Manager: the group's own links, and the folder once empty. Nothing
// is removed through a link. Every outcome goes to log.
void RemoveProgramGroupAnywhere(const AnsiString& caption,
                                const std::function<void(const AnsiString&)>& log);
