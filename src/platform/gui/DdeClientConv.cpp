#include "platform/gui/DdeClientConv.h"

namespace gui {

DdeClientConv::DdeClientConv(Component* owner, AnsiString name)
    : Component(owner, std::move(name)) {}

DdeClientConv::~DdeClientConv() { CloseLink(); }

bool DdeClientConv::SetLink(const AnsiString& service, const AnsiString& topic) {
  CloseLink();
  service_ = service;
  topic_ = topic;
  return connectMode_ == DdeConnectMode::Automatic ? OpenLink() : true;
}

bool DdeClientConv::OpenLink() {
  if (conversation_) return true;
  if (service_.empty() || topic_.empty()) return false;
  conversation_ = platform::DdeConversation::Connect(service_, topic_);
  if (!conversation_ && platform::StartServerProgram(service_ + " " + topic_)) {
    conversation_ = platform::DdeConversation::Connect(service_, topic_);
  }
  return Connected();
}

bool DdeClientConv::ExecuteMacro(const AnsiString& command, bool wait) {
  if (!conversation_) return false;
  if (!wait) return conversation_->Execute(command);
  const bool carriedOut = conversation_->ExecuteAndWait(command, kMacroWaitMilliseconds);
  if (conversation_->Lost()) CloseLink();
  return carriedOut;
}

void DdeClientConv::CloseLink() { conversation_.reset(); }

}  // namespace gui
