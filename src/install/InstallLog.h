#pragma once
// The installation log of /LOG=: one line per event (the switches, the folder, each file written
// with its size, each registry value, each step's result, each error with its text), in UTF-8
// with CR LF line ends.
#include <string>

#include "platform/AnsiString.h"

class InstallLog {
 public:
  // Creates or replaces the file at once, so a log that cannot be written is known before
  // anything is installed: throws EFCreateError then.
  explicit InstallLog(AnsiString path);

  // Appends a line. The file is written whole each time, so it holds every line so far whatever
  // ends the run; a line that cannot be written is lost, the installation goes on.
  void Line(const AnsiString& text);

  const AnsiString& Path() const { return path_; }

 private:
  AnsiString path_;
  std::string text_;
};
