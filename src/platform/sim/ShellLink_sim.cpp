// Shell links on the simulated machine: the link keeps its target and working folder, and saving
// it writes a file the machine records. As on the system, a link can only be made on a thread in
// a COM apartment.
#include "platform/ShellLink.h"

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/SystemThread.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/Utf8.h"

namespace platform {
namespace {

// The system's texts for the result codes the simulated object gives.
constexpr char kNotInitialized[] = "CoInitialize has not been called";  // CO_E_NOTINITIALIZED
constexpr char kClassNotRegistered[] = "Class not registered";          // REGDB_E_CLASSNOTREG

// Text as the system receives it: bytes that are not code page 936 text cannot cross to UTF-16.
const AnsiString& Checked(const AnsiString& text) {
  if (sim::FromUtf8(sim::Utf8(text)) != text) {
    throw EEncodingError("Text is not valid in code page 936");
  }
  return text;
}

// A path as the shell names a folder: no final backslash (one that is a character of its own).
AnsiString WithoutTrailingBackslash(AnsiString path) {
  while (!path.empty() && LastDelimiter(path, "\\") == path.size() - 1) path.pop_back();
  return path;
}

}  // namespace

struct ShellLink::Impl {
  AnsiString target;
  AnsiString workingFolder;
};

ShellLink::ShellLink() : impl_(std::make_unique<Impl>()) {
  sim::SimMachine& machine = sim::SimMachine::Current();
  if (!machine.Threads().ComInitialized(CurrentThreadId())) throw EOleSysError(kNotInitialized);
  if (machine.Shell().ShellLinkRefused()) throw EOleSysError(kClassNotRegistered);
}

ShellLink::~ShellLink() = default;

bool ShellLink::SetPath(const AnsiString& target) {
  impl_->target = Checked(target);
  return true;
}

bool ShellLink::SetWorkingDirectory(const AnsiString& folder) {
  impl_->workingFolder = Checked(folder);
  return true;
}

bool ShellLink::Save(const AnsiString& linkFile) {
  return sim::SimMachine::Current().Shell().SaveShellLink(
      {Checked(linkFile), impl_->target, impl_->workingFolder});
}

std::optional<AnsiString> LinkTarget(const AnsiString& linkFile) {
  if (!FileExists(linkFile)) return std::nullopt;
  // The simulated link's file names its target on a line of its own.
  const AnsiString text = ReadWholeFile(linkFile);
  const AnsiString key = "\r\nTarget=";
  const std::size_t at = text.find(key);
  if (text.rfind("[ShellLink]", 0) != 0 || at == AnsiString::npos) return std::nullopt;
  const std::size_t start = at + key.size();
  const AnsiString target = text.substr(start, text.find("\r\n", start) - start);
  if (target.empty()) return std::nullopt;
  return target;
}

AnsiString CommonDesktopFolder() {
  return WithoutTrailingBackslash(sim::SimMachine::Current().Shell().CommonDesktopFolder());
}

AnsiString CommonProgramsFolder() {
  return "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
}

void NotifyAssociationsChanged() { sim::SimMachine::Current().Shell().RecordAssociationNotice(); }

}  // namespace platform
