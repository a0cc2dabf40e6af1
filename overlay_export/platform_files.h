// The file operations that differ between platforms and that the export
// writers need to replace a file only once its new contents are complete.
// One realisation for Windows (platform/windows) and one for POSIX systems
// (platform/posix).
#pragma once

#include <cstdio>

// Creates `path` for writing in text mode, failing (null) when anything by
// that name already exists (errno is then EEXIST), so a temporary name never
// clobbers a file.
FILE* CreateNewTextFile(const char* path);

// Flushes `file` to the disk and closes it; false when any of that failed,
// which means the contents may be incomplete. The file is closed either way.
bool CloseWrittenFile(FILE* file);

// Moves the complete file `from` to `to`, replacing a file already there in
// one step: readers see either the old or the new contents, never a mix. A
// replaced file keeps its permissions where the platform has them.
bool MoveFileIntoPlace(const char* from, const char* to);
