// Counts the process's failed allocations, so the host can tell a command
// that ran out of memory from other failures: the effect answers both with
// error 512. The plug-in shares the process's C++ runtime where it links it
// dynamically (Linux, macOS); a statically linked runtime keeps its own.
#pragma once

#include <cstdint>

// Installs the counting new-handler once; it counts and then fails the
// allocation as usual (std::bad_alloc).
void CountAllocationFailures();
int64_t AllocationFailureCount();
