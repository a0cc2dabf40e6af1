// What a stop signal (stop_signals.h) waits for and removes before the
// process ends, besides the temporaries of the output batches (safe_output.h).
//  - A command of the plug-in that may write files of its own (a button
//    press: an export writes a temporary beside its target that only the
//    plug-in can move into place or remove) runs to its end first: the
//    press holds HoldStopsUntilCommandEnds meanwhile.
//  - The run's private scratch directories are removed with all they hold.
#pragma once

#include <mutex>
#include <string>

// While the lock is held, a stop waits.
std::unique_lock<std::mutex> HoldStopsUntilCommandEnds();

// A new private directory (private_directory.h) that a stop removes, or
// RemoveScratchDirectory before then. Made under the stop's lock, so that a
// stop either sees it or prevents it. Empty with a reason in `error`.
std::string MakeScratchDirectory(const std::string& purpose, std::string& error);
void RemoveScratchDirectory(const std::string& directory);

// For the stop signals: waits for the command in progress, then removes the
// scratch directories and the output temporaries. No command starts and
// nothing is written or committed after it: the process ends right after.
void CleanUpBeforeStop();
