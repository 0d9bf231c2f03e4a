#pragma once
// The uninstaller's command line: /S (silent), /LOG=<file>, /? or /H (the usage box), and the
// switches by which the uninstaller hands the work to its own copy in a private folder; the exit
// codes.
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

// What the uninstaller tells its caller. An uninstaller without /S ends with one of them too.
enum class UninstallExitCode {
  Removed = 0,
  Usage = 1,
  ProductRunning = 2,
  NothingToRemove = 3,  // nothing installed, or its record refused
  LeftForRestart = 4,   // files in use: Windows deletes them when it next starts
  AnotherRunning = 5,
  Cancelled = 6,  // the user answered No
  Failed = 7,     // some files could not be removed; the uninstall entry stays
};

struct UninstallSwitches {
  bool silent = false;
  bool help = false;
  std::optional<AnsiString> logFile;
  // The uninstaller's copy runs with the path of the program that started it (/ORIGIN=), and,
  // after that program ended, clears away what was left of it (/CLEANUP=<its process id>).
  std::optional<AnsiString> origin;
  std::optional<std::uint32_t> cleanupAfter;
  AnsiString unknown;  // the first switch not understood; empty when none
  bool UsageError() const { return !unknown.empty(); }
};

// Reads the switches after the program's own name; each may be quoted ("/LOG=C:\My Logs\u.log")
// and they are compared without regard to case.
UninstallSwitches ParseUninstallSwitches(const AnsiString& commandLine);

// The switches the user gave, for the uninstaller's copy: /S and /LOG=, quoted.
AnsiString PassedOnSwitches(const UninstallSwitches& switches);

// The usage box's text: the switches and the exit codes.
AnsiString UninstallUsageText();
