// The file operations that differ between platforms and that the export
// writers need to replace a file only once its new contents are complete.
// One realisation for Windows (platform/windows) and one for POSIX systems
// (platform/posix).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// What stands where an export would put its file.
enum class ReplaceTarget {
  kMissing,      // nothing: the export makes a new file
  kReplaceable,  // a regular file of one link whose permission bits let this process write it
  kRefused,      // anything else, never touched: a link, a directory, a device, a pipe, a socket, a
                 // read-only file (also for root, whom the system lets write it), a file with other
                 // hard links (a new file would split them), or a path that cannot be examined
};

// Looks at `path` itself, not at what a link names.
ReplaceTarget InspectReplaceTarget(const char* path);

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

// How many bytes of `path` name its directory, the last separator included
// (0: a name in the current directory).
size_t DirectoryPartLength(const std::string& path);

// This process's number, which no other process running now has.
uint32_t CurrentProcessNumber();
