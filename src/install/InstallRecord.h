#pragma once
// The installation record: what a completed run changed on the machine, kept in the install
// folder as a readable UTF-8 text for the next setup (which keeps the files the user changed
// since) and for the uninstaller. Paths of files and folders are relative to the install folder;
// a record that names anything outside it, is damaged or of an unknown version is refused whole.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Registry.h"

// The record's file name in the install folder.
extern const char* const kInstallRecordFileName;

struct RecordedFile {
  AnsiString path;  // relative to the install folder
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;  // as the system reported it after the write
  AnsiString sha256;            // of the payload entry; empty when the setup carried no sums
  bool replaced = false;        // a file stood there before the first installation wrote it
};

struct RecordedKey {
  platform::RootKey root = platform::RootKey::CurrentUser;
  AnsiString key;
};

struct RecordedValue {
  platform::RootKey root = platform::RootKey::CurrentUser;
  AnsiString key;
  AnsiString name;  // empty: the key's default value
  platform::RawValue written;
  std::optional<platform::RawValue> before;  // what the value held before; nothing: no value
};

struct InstallRecord {
  AnsiString version;  // the setup's serial
  bool madeInstallFolder = false;
  std::vector<AnsiString> folders;  // made by the setup, relative, each after its parent
  std::vector<RecordedFile> files;
  std::vector<RecordedKey> keys;  // made by the setup, each after its parent
  std::vector<RecordedValue> values;
  AnsiString shortcut;      // the desktop link's file name in the all-users desktop; empty: none
  AnsiString programGroup;  // the group's name; empty: none

  // The file recorded at relative path (compared without regard to ASCII case, as the system
  // compares names); null when none is.
  const RecordedFile* FindFile(const AnsiString& relative) const;
};

// Whether the file at path is still the one the record names: the same size and write time, or,
// where the record has the entry's sum, the same bytes. False when no file stands there.
bool StillAsRecorded(const AnsiString& path, const RecordedFile& recorded);

// After the record was written, the setup changed or made the file at relative (the product's
// options): the record in installFolder names it as it is now, so that removing the
// installation knows it as the setup's own. Nothing when there is no record or the file is not
// there; a record that cannot be rewritten stays as it was.
void RecordFileAsItIs(const AnsiString& installFolder, const AnsiString& relative);

// The record as the file holds it.
std::string RecordText(const InstallRecord& record);
// The record a text holds; nothing, with the reason in *why, when the text is damaged, of an
// unknown version, or names a path outside the install folder.
std::optional<InstallRecord> ParseRecord(const std::string& text, AnsiString* why = nullptr);

// The record in installFolder (ending in a backslash); nothing, with the reason in *why, when
// there is none or it is refused.
std::optional<InstallRecord> ReadInstallRecord(const AnsiString& installFolder,
                                               AnsiString* why = nullptr);
// Writes the record into installFolder, replacing an earlier one atomically. Throws
// EFCreateError when it cannot be written.
void WriteInstallRecord(const AnsiString& installFolder, const InstallRecord& record);
