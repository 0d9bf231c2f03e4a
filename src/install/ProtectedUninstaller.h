#pragma once
// The uninstaller's own folder, which only administrators can change: the setup keeps there a
// copy of the uninstaller, of the installation record and the install folder's path. The
// uninstall entry and the program group start that copy, and it acts on that record only:
// nothing in the install folder (on a drive every signed-in user may change) is run elevated or
// trusted to say what to remove.
#include <optional>

#include "platform/AnsiString.h"

// Below the setup's folder in the common application data folder, without a trailing
// backslash: "C:\ProgramData\KorvelloSetup\Uninstall".
AnsiString ProtectedUninstallFolder();
AnsiString ProtectedUninstallerPath();
AnsiString ProtectedRecordPath();
AnsiString ProtectedInstallFolderPath();

// Makes the folder (and the setup's folder above it) so that only Administrators and SYSTEM may
// change it, or checks that an existing one is so. False, with the reason in *why, otherwise.
bool EnsureProtectedUninstallFolder(AnsiString* why = nullptr);

// Copies the record in installFolder (ending in a backslash) and the folder's path beside the
// protected uninstaller. Throws EFCreateError when they cannot be written.
void KeepProtectedRecord(const AnsiString& installFolder);

// The install folder the protected record is for, ending in a backslash; nothing when there is
// none (nothing installed, or the folder is not to be trusted).
std::optional<AnsiString> ProtectedInstallFolder();

// The record in installFolder changed after it was copied: the copy follows, when the protected
// record is that folder's. Nothing happens otherwise or when it cannot be written (the copy then
// still names the files as the run left them).
void RefreshProtectedRecord(const AnsiString& installFolder);

// Takes the protected record and folder file away: the installation is removed. True when the
// record went.
bool ForgetProtectedInstallation();
