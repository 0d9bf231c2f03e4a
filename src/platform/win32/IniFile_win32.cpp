#include "platform/IniFile.h"

#include "platform/win32/WindowsApi.h"

namespace platform {

AnsiString ReadProfileString(const AnsiString& file, const AnsiString& section,
                             const AnsiString& key, const AnsiString& defaultValue) {
  char buffer[2048];
  const DWORD length = ::GetPrivateProfileStringA(
      section.c_str(), key.c_str(), defaultValue.c_str(), buffer, sizeof(buffer), file.c_str());
  return AnsiString(buffer, length);
}

bool WriteProfileString(const AnsiString& file, const AnsiString& section, const AnsiString& key,
                        const AnsiString& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

}  // namespace platform
