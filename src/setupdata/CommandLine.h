#pragma once
// The setup's command line for unattended installation: /S (silent), /D=<folder> (the install
// folder, last, the rest of the line as it stands), /LOG=<file>, /? or /H (the usage box), and
// the exit codes of silent runs.
#include <optional>

#include "platform/AnsiString.h"

// What a silent run tells its caller. A run without /S ends with Installed on every path.
enum class SetupExitCode {
  Installed = 0,
  Usage = 1,
  AnotherSetupRunning = 2,
  ProductRunning = 3,
  NewerVersionInstalled = 4,
  FolderNotCreated = 5,
  WriteFailed = 6,
  RegistrationFailed = 7,
  NotEnoughSpace = 8,
};

struct SetupSwitches {
  bool silent = false;
  bool help = false;  // /? or /H
  // /D=, with a backslash added at its end when it has none (not to a drive alone, "D:"); checked
  // only when it is used.
  std::optional<AnsiString> installFolder;
  std::optional<AnsiString> logFile;  // /LOG=
  AnsiString unknown;                 // the first switch not understood; empty when none
  bool UsageError() const { return !unknown.empty(); }
};

// Reads the switches after the program's own name (the first word of the line, quoted or not).
// Switches are compared without regard to case and may come in any order; /D= takes the rest of
// the line as it stands (spaces included, spaces at its end dropped), or one quoted argument
// ("/D=C:\My Apps\Korv") the same way; anything after a quoted /D= is an unknown switch. A switch
// may itself be quoted ("/LOG=C:\My Logs\setup.log"). An empty /D= or /LOG= is not understood.
SetupSwitches ParseSetupSwitches(const AnsiString& commandLine);

// The usage box's text: the switches and the exit codes.
AnsiString SetupUsageText();
