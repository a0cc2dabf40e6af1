// The Export JSON and Export SVG buttons: the chains of the last render, as
// integer points in render order, written to a file the user chooses.
//
// Each takes a copy of the chain cache under its lock (no prompt or alert is
// shown while it is held), refuses with the no-data alert when nothing was
// rendered or the render found no chains, asks for the path, writes, and
// reports success only when the chosen file holds the new contents. Every
// other end after the prompt reports failure: a path longer than 1023
// characters or holding a NUL, a target that may not be replaced (see
// file_replacement.h), a folder that is missing or takes no new file, a
// failed write. Cancel ends the command silently. Always returns 0.
#pragma once

#include <cstddef>

#include "host_interface/host_records.h"

constexpr size_t kMaxChosenPathLength = 1023;

HostError ExportJsonCommand(HostInData* in);
HostError ExportSvgCommand(HostInData* in);
