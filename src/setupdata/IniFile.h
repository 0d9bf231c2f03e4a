#pragma once
// An INI file reader/writer opened on one path, as the runtime's INI class: every read goes to
// the file through the profile-string functions, nothing is cached.
#include "platform/AnsiString.h"

class TIniFile {
 public:
  explicit TIniFile(AnsiString fileName) : fileName_(std::move(fileName)) {}

  const AnsiString& FileName() const { return fileName_; }
  // The value, or defaultValue when the file, section or key is absent; cut to 2047 bytes.
  AnsiString ReadString(const AnsiString& section, const AnsiString& key,
                        const AnsiString& defaultValue) const;
  // Writes one value, creating the file, section or key where absent.
  // Throws EIniFileException "Unable to write to %s" when the write fails.
  void WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value);

 private:
  AnsiString fileName_;
};
