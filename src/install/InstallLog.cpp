#include "install/InstallLog.h"

#include <exception>
#include <utility>

#include "platform/CommandLine.h"
#include "platform/Files.h"

InstallLog::InstallLog(AnsiString path) : path_(std::move(path)) {
  platform::WriteWholeFile(path_, text_.data(), text_.size());
}

void InstallLog::Line(const AnsiString& text) {
  try {
    text_ += platform::Utf8Text(text) + "\r\n";
    platform::WriteWholeFile(path_, text_.data(), text_.size());
  } catch (const std::exception&) {
    // The log must never stop the installation it describes.
  }
}
