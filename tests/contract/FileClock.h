#pragma once
// The clock of file times, as the contract needs it to check the write times the system reports
// (FileClock_win32.cpp: the system's; FileClock_sim.cpp: the host's, as the simulated machine
// reports file times).
#include <cstdint>

namespace contract {

// The current time in FILETIME ticks (100 ns since 1601-01-01 UTC).
std::uint64_t NowInFileTicks();

// Waits until a write made now gets a later write time than one made before the call: the
// system stamps files with a clock that advances in steps of several milliseconds. The simulated
// machine moves a rewritten file's time on by itself and needs no wait.
void LetTheFileClockMoveOn();

}  // namespace contract
