#include "install/ProgramGroup.h"

#include "host/Unit_main.h"
#include "install/Registration.h"
#include "install/RunChanges.h"
#include "platform/Files.h"
#include "platform/ShellLink.h"
#include "platform/gui/DdeClientConv.h"

namespace {

// Sends one command and waits for the answer; an empty command (too long for Program Manager)
// is not sent and counts as refused.
bool SendGroupCommand(gui::DdeClientConv& conversation, const AnsiString& command) {
  if (command.empty()) {
    Formain->LogLine("program group: a command over 256 bytes left out");
    return false;
  }
  const bool carriedOut = conversation.ExecuteMacro(command, true);
  Formain->LogLine("program group " + command +
                   (carriedOut ? ": carried out" : ": refused or not answered"));
  return carriedOut;
}

}  // namespace

std::vector<ProgramGroupItem> ProgramGroupItemsOf(const AnsiString& folder,
                                                  const AnsiString& targetName,
                                                  const AnsiString& caption,
                                                  const AnsiString& uninstaller) {
  return {
      {folder + targetName, caption},
      {uninstaller.empty() ? folder + "Uninstall.exe" : uninstaller, "卸载" + caption},
      {folder + "help.chm", "使用说明"},
      {folder + "用户授权协议.txt", "用户授权协议"},
  };
}

std::vector<ProgramGroupItem> ItemsWhoseFilesExist(const std::vector<ProgramGroupItem>& items) {
  std::vector<ProgramGroupItem> existing;
  for (const ProgramGroupItem& item : items) {
    if (platform::FileExists(item.target)) {
      existing.push_back(item);
    } else {
      Formain->LogLine("program group: no item " + item.title + ", there is no file " +
                       item.target);
    }
  }
  return existing;
}

bool AskProgramManagerForGroup(gui::DdeClientConv& conversation, const AnsiString& caption,
                               const std::vector<ProgramGroupItem>& items) {
  conversation.SetLink("ProgMan", "ProgMan");
  bool complete = conversation.OpenLink();
  if (!complete) Formain->LogLine("program group: Program Manager does not answer");
  if (complete)
    complete =
        SendGroupCommand(conversation, ProgramManagerCommand("creategroup", {caption, caption}));
  for (const ProgramGroupItem& item : items) {
    if (!complete) break;
    complete =
        SendGroupCommand(conversation, ProgramManagerCommand("additem", {item.target, item.title}));
  }
  conversation.CloseLink();
  return complete;
}

void MakeProgramGroupFolder(const AnsiString& caption, const std::vector<ProgramGroupItem>& items,
                            RunChanges& changes) {
  const AnsiString programs = platform::CommonProgramsFolder();
  if (programs.empty()) {
    Formain->LogLine("program group: the system names no common programs folder");
    return;
  }
  const AnsiString group = programs + "\\" + caption;
  if (!changes.MakeFolder(group)) {
    Formain->LogLine("program group: the folder " + group + " cannot be made");
    return;
  }
  for (const ProgramGroupItem& item : items) {
    const AnsiString file = group + "\\" + item.title + ".lnk";
    platform::ShellLink link;
    link.SetPath(item.target);
    link.SetWorkingDirectory(FolderOf(item.target));
    changes.BeforeOutsideWrite(file);
    const bool saved = link.Save(file);
    Formain->LogLine("program group link " + file + " -> " + item.target +
                     (saved ? ": written" : ": could not be written"));
  }
}

void RemoveProgramGroup(gui::DdeClientConv& conversation, const AnsiString& caption,
                        const std::function<void(const AnsiString&)>& log) {
  const AnsiString command = ProgramManagerCommand("deletegroup", {caption});
  conversation.SetLink("ProgMan", "ProgMan");
  const bool removed =
      !command.empty() && conversation.OpenLink() && conversation.ExecuteMacro(command, true);
  conversation.CloseLink();
  log("program group " + command + (removed ? ": removed" : ": not removed (none there?)"));
}

void RemoveProgramGroupAnywhere(const AnsiString& caption,
                                const std::function<void(const AnsiString&)>& log) {
  {
    gui::DdeClientConv conversation(nullptr, "UninstallConversation");
    conversation.SetConnectMode(gui::DdeConnectMode::Manual);
    RemoveProgramGroup(conversation, caption, log);
  }
  const AnsiString programs = platform::CommonProgramsFolder();
  if (programs.empty()) return;
  const AnsiString group = programs + "\\" + caption;
  if (!platform::DirectoryExists(group)) return;
  if (platform::PassesThroughLink(group)) {
    log("program group folder " + group + ": a link, left alone");
    return;
  }
  for (const ProgramGroupItem& item : ProgramGroupItemsOf(AnsiString(), AnsiString(), caption)) {
    const AnsiString link = group + "\\" + item.title + ".lnk";
    if (platform::FileExists(link)) platform::DeleteFile(link);
  }
  log("program group folder " + group +
      (platform::RemoveDirectory(group) ? ": removed" : ": not empty, kept"));
}
