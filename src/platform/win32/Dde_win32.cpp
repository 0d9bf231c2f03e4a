#include "platform/Dde.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <ddeml.h>

namespace platform {

namespace {

// How long a started server program may take to be ready for input, as WinExec allows.
constexpr DWORD kServerStartWait = 30000;

void UninitializeDde(DWORD instance) noexcept { ::DdeUninitialize(instance); }
void DisconnectDde(HCONV conversation) noexcept { ::DdeDisconnect(conversation); }

using UniqueDdeInstance = win32::UniqueResource<win32::traits::Simple<DWORD, 0, UninitializeDde>>;
using UniqueConversation =
    win32::UniqueResource<win32::traits::Simple<HCONV, nullptr, DisconnectDde>>;

// A DDEML string handle, given back to its instance when it goes.
class DdeString {
 public:
  DdeString(DWORD instance, const AnsiString& text, bool ansi) : instance_(instance) {
    const std::wstring wide = win32::Wide(text);  // also refuses bytes that are not code page 936
    handle_ = ansi ? ::DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)
                   : ::DdeCreateStringHandleW(instance, wide.c_str(), CP_WINUNICODE);
  }
  ~DdeString() {
    if (handle_) ::DdeFreeStringHandle(instance_, handle_);
  }
  DdeString(const DdeString&) = delete;
  DdeString& operator=(const DdeString&) = delete;

  HSZ Get() const { return handle_; }

 private:
  DWORD instance_;
  HSZ handle_ = nullptr;
};

// A client that only sends execute transactions has nothing to answer: the completion of a
// transaction it did not wait for, and the server's leaving, need nothing from it.
HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR,
                                 ULONG_PTR) noexcept {
  return nullptr;
}

}  // namespace

// Members are given back in the reverse order: the conversation, the names, the instance.
struct DdeConversation::Impl {
  bool ansi = false;  // commands go as code page 936 bytes, otherwise as UTF-16
  UniqueDdeInstance instance;
  std::unique_ptr<DdeString> service;
  std::unique_ptr<DdeString> topic;
  UniqueConversation conversation;
  bool lost = false;  // a waited command went unanswered; the conversation is gone

  bool Transact(const AnsiString& command, DWORD timeout) {
    if (ansi) {
      win32::Wide(command);  // refuses bytes that are not code page 936, as the Unicode path does
      return Send(command.c_str(), command.size() + 1, CF_TEXT, timeout);
    }
    const std::wstring wide = win32::Wide(command);
    return Send(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t), CF_UNICODETEXT, timeout);
  }

  bool Send(const void* data, std::size_t bytes, UINT format, DWORD timeout) {
    if (!conversation) return false;
    // DDEML copies the data; it never writes to it.
    auto* text = static_cast<BYTE*>(const_cast<void*>(data));
    DWORD result = 0;  // the transaction's number, or the server's answer flags
    if (::DdeClientTransaction(text, static_cast<DWORD>(bytes), conversation.Get(), nullptr, format,
                               XTYP_EXECUTE, timeout, &result)) {
      return true;
    }
    // DDEML drops a waited transaction when its time is up, but the server still answers it
    // later, and that answer is then taken for the answer to the next transaction of the
    // conversation (seen under Wine): a conversation past an unanswered command says nothing
    // true any more, so it ends here.
    if (::DdeGetLastError(instance.Get()) == DMLERR_EXECACKTIMEOUT) {
      conversation.Reset();
      lost = true;
    }
    return false;
  }
};

DdeConversation::DdeConversation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DdeConversation::~DdeConversation() = default;

std::unique_ptr<DdeConversation> DdeConversation::Connect(const AnsiString& service,
                                                          const AnsiString& topic) {
  auto impl = std::make_unique<Impl>();
  impl->ansi = ::GetACP() == win32::kProgramCodePage;
  DWORD instance = 0;
  const UINT started = impl->ansi
                           ? ::DdeInitializeA(&instance, IgnoreDdeEvent, APPCMD_CLIENTONLY, 0)
                           : ::DdeInitializeW(&instance, IgnoreDdeEvent, APPCMD_CLIENTONLY, 0);
  if (started != DMLERR_NO_ERROR) return nullptr;
  impl->instance.Reset(instance);
  impl->service = std::make_unique<DdeString>(instance, service, impl->ansi);
  impl->topic = std::make_unique<DdeString>(instance, topic, impl->ansi);
  if (!impl->service->Get() || !impl->topic->Get()) return nullptr;
  impl->conversation.Reset(
      ::DdeConnect(instance, impl->service->Get(), impl->topic->Get(), nullptr));
  if (!impl->conversation) return nullptr;
  return std::make_unique<DdeConversation>(std::move(impl));
}

bool DdeConversation::Execute(const AnsiString& command) {
  return impl_->Transact(command, TIMEOUT_ASYNC);
}

bool DdeConversation::ExecuteAndWait(const AnsiString& command, std::uint32_t timeoutMilliseconds) {
  // The longest wait there is would read as "do not wait".
  return impl_->Transact(command, std::clamp<DWORD>(timeoutMilliseconds, 1, TIMEOUT_ASYNC - 1));
}

bool DdeConversation::Lost() const { return impl_->lost; }

bool StartServerProgram(const AnsiString& commandLine) {
  std::wstring line = win32::Wide(commandLine);  // CreateProcessW may write to it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return false;
  }
  const win32::UniqueHandle process(started.hProcess);
  const win32::UniqueHandle thread(started.hThread);
  ::WaitForInputIdle(process.Get(), kServerStartWait);
  return true;
}

}  // namespace platform
