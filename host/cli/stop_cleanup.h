// What a stop signal (stop_signals.h) removes before the process ends,
// besides the temporaries of the output batches (safe_output.h): the run's
// private scratch directories, with all they hold.
#pragma once

#include <string>

// A new private directory (private_directory.h) that a stop removes, or
// RemoveScratchDirectory before then. Made under the stop's lock, so that a
// stop either sees it or prevents it. Empty with a reason in `error`.
std::string MakeScratchDirectory(const std::string& purpose, std::string& error);
void RemoveScratchDirectory(const std::string& directory);

// For the stop signals: removes the scratch directories and the output
// temporaries. Nothing is written or committed after it: the process ends
// right after.
void CleanUpBeforeStop();
