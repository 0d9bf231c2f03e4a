#pragma once
// Shell links (the desktop shortcut), the all-users desktop folder they go into, and the notice
// that tells the shell that file associations changed.
#include <memory>
#include <optional>

#include "platform/AnsiString.h"

namespace platform {

// The target of the link saved in linkFile (IPersistFile::Load, then IShellLinkW::GetPath of
// the raw path); nothing when there is no such link or it names no file.
std::optional<AnsiString> LinkTarget(const AnsiString& linkFile);

// A shell link object (COM class ShellLink, CLSID {00021401-0000-0000-C000-000000000046}) made
// through CoCreateInstance (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER) asking for IUnknown, then
// its IShellLinkW and IPersistFile interfaces. Texts cross to the system in UTF-16, converted
// from code page 936. The calling thread must be in a COM apartment (platform::ComApartment).
// All interfaces are released by the destructor.
class ShellLink {
 public:
  // Throws EOleSysError with the system's text for the result code (or "OLE error XXXXXXXX"
  // when the system has none) when the object cannot be created or lacks one of the two
  // interfaces.
  ShellLink();
  ~ShellLink();
  ShellLink(const ShellLink&) = delete;
  ShellLink& operator=(const ShellLink&) = delete;

  // IShellLinkW::SetPath / SetWorkingDirectory; true on S_OK (callers may ignore it).
  // EEncodingError for bytes that are not code page 936 text.
  bool SetPath(const AnsiString& target);
  bool SetWorkingDirectory(const AnsiString& folder);
  // IPersistFile::Save of the link into linkFile, not remembered as the object's file; an
  // existing file is replaced. True on success; false, for one, when linkFile's folder does not
  // exist. EEncodingError for bytes that are not code page 936 text.
  bool Save(const AnsiString& linkFile);

 private:
  friend std::optional<AnsiString> LinkTarget(const AnsiString& linkFile);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The all-users desktop folder (SHGetSpecialFolderLocation of CSIDL_COMMON_DESKTOPDIRECTORY,
// then SHGetPathFromIDListW) in code page 936, without a trailing backslash. Empty when the
// system cannot name it. EEncodingError when code page 936 cannot hold the path.
AnsiString CommonDesktopFolder();
// The all-users start menu's programs folder (CSIDL_COMMON_PROGRAMS), the same way: where a
// program group is a folder of links.
AnsiString CommonProgramsFolder();

// Tells the shell that file associations changed (SHChangeNotify of SHCNE_ASSOCCHANGED with
// SHCNF_IDLIST and no items), so it shows the new document type's icon and verb.
void NotifyAssociationsChanged();

}  // namespace platform
