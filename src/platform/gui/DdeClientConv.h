#pragma once
// A DDE client conversation as a component of a window, non-visual like Timer: it names a
// server (service and topic), opens and closes the link to it, and sends it commands. The
// program asks Program Manager to make its group through one of these.
#include <cstdint>
#include <memory>

#include "platform/Dde.h"
#include "platform/gui/Component.h"

namespace gui {

enum class DdeConnectMode {
  Automatic,  // setting the link opens it
  Manual,     // the link opens only on OpenLink
};

class DdeClientConv : public Component {
 public:
  DdeClientConv(Component* owner, AnsiString name);
  ~DdeClientConv() override;  // closes the link

  // How long ExecuteMacro waits for the server's answer when asked to wait. Generous: Wine's
  // Program Manager answers a group command only once the window it opens for the group is up,
  // which takes seconds on a busy machine.
  static constexpr std::uint32_t kMacroWaitMilliseconds = 30000;

  DdeConnectMode ConnectMode() const { return connectMode_; }
  void SetConnectMode(DdeConnectMode mode) { connectMode_ = mode; }
  const AnsiString& DdeService() const { return service_; }
  const AnsiString& DdeTopic() const { return topic_; }

  // Names the server; a link open before is closed. In automatic mode the link is opened at
  // once and the result tells whether it opened; in manual mode nothing connects, and the
  // result is true.
  bool SetLink(const AnsiString& service, const AnsiString& topic);
  // Opens the link: connects to the server; when nobody answers, runs the command line made of
  // the service, a space and the topic, minimised without activation, and tries once more.
  // True when a conversation exists (also one open before). False without a service or topic:
  // an empty name would connect to any server at all.
  bool OpenLink();
  // Sends command to the server as an execute transaction. Without wait the program goes on at
  // once: true when the server was handed the command. With wait: true when the server carried
  // it out within kMacroWaitMilliseconds; a command left unanswered that long closes the link,
  // since the server's late answer would be taken for the next command's. False, and nothing
  // sent, without an open link.
  bool ExecuteMacro(const AnsiString& command, bool wait = false);
  // Closes the link; nothing happens when none is open.
  void CloseLink();
  bool Connected() const { return conversation_ != nullptr; }

 private:
  DdeConnectMode connectMode_ = DdeConnectMode::Automatic;
  AnsiString service_;
  AnsiString topic_;
  std::unique_ptr<platform::DdeConversation> conversation_;
};

}  // namespace gui
