// Stopping cleanly on SIGINT and SIGTERM (and SIGHUP): the process lets a
// press in progress end, removes its scratch directories and the
// temporaries and new empty directories of its output batches (see
// stop_cleanup.h), says so on standard error and ends by the signal, so no
// partial file is left. Call once at the start of main, before any thread
// starts: the signals are then taken by one watching thread. One realisation
// per platform that builds the command line (platform/linux/cli_stop_signals.cpp).
#pragma once

void StopCleanlyOnSignals();
