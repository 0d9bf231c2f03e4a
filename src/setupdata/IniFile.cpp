#include "setupdata/IniFile.h"

#include "platform/Errors.h"
#include "platform/IniFile.h"

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& key,
                                const AnsiString& defaultValue) const {
  return platform::ReadProfileString(fileName_, section, key, defaultValue);
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& key,
                           const AnsiString& value) {
  if (!platform::WriteProfileString(fileName_, section, key, value)) {
    throw EIniFileException(Format("Unable to write to %s", fileName_.c_str()));
  }
}
