#pragma once
// Dynamic data exchange: a client conversation with a DDE server through the DDE management
// library (DDEML), the way the program asks Program Manager (service and topic "ProgMan") to
// make a group; and starting the program that serves a conversation when nobody answers.
#include <cstdint>
#include <memory>

#include "platform/AnsiString.h"

namespace platform {

// One client conversation. It owns what it stands on -- its own DDEML instance, the string
// handles of service and topic, the conversation -- and gives all of it back when it goes, the
// conversation first (DdeDisconnect: a command handed over without waiting is already in the
// server's queue, ahead of the disconnection, so the server still carries it out; only its
// answer is abandoned). A DDEML instance belongs to the thread that made it: use a conversation
// on one thread only.
//
// Commands go as text in the form the server reads right. Where the system's code page is 936
// they go as those bytes (an ANSI instance, CF_TEXT), because Wine's Program Manager refuses a
// Unicode command with Chinese text in it: it takes the UTF-16 for ANSI bytes. Elsewhere they go
// as UTF-16 (a Unicode instance, CF_UNICODETEXT): the system would read code page 936 bytes in
// its own code page and make a group of other characters, where Unicode is either read right
// (Windows) or refused whole (Wine), never mangled.
class DdeConversation {
 public:
  struct Impl;
  explicit DdeConversation(std::unique_ptr<Impl> impl);
  ~DdeConversation();
  DdeConversation(const DdeConversation&) = delete;
  DdeConversation& operator=(const DdeConversation&) = delete;

  // DdeConnect to service and topic (names compared without regard to case, as DDE does); null
  // when no server answers, or DDEML cannot be started. Throws EEncodingError when a name is
  // not code page 936 text.
  static std::unique_ptr<DdeConversation> Connect(const AnsiString& service,
                                                  const AnsiString& topic);

  // Sends command as an execute transaction (XTYP_EXECUTE) without waiting for the server
  // (TIMEOUT_ASYNC): true when the transaction was handed to the server; whether the server
  // carried it out is not known. Throws EEncodingError for bytes that are not code page 936.
  bool Execute(const AnsiString& command);
  // The same, waiting at most timeoutMilliseconds for the server's answer: true when the server
  // carried the command out, false when it refused it or did not answer in time. A command not
  // answered in time ends the conversation (see Lost), and false after that: the server may
  // still carry it out, and its late answer would be taken for the answer to the next command.
  bool ExecuteAndWait(const AnsiString& command, std::uint32_t timeoutMilliseconds);
  // True once a waited command went unanswered: the conversation is over, every later command
  // is refused without being sent.
  bool Lost() const;

 private:
  std::unique_ptr<Impl> impl_;
};

// Starts the program of commandLine as WinExec does (the first word names it; ".exe" may be
// left out; it is looked for in the program's folder, the current folder, the system folders
// and the PATH), shown minimised without activation (SW_SHOWMINNOACTIVE), and returns once it
// waits for input, at most 30 seconds later, so that a DDE server it starts can answer. False
// when it cannot be started. Throws EEncodingError when commandLine is not code page 936 text.
bool StartServerProgram(const AnsiString& commandLine);

}  // namespace platform
