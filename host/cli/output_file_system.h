// The file-system operations the safe output writer needs, with the
// system's own reason on failure. One realisation per platform that builds
// the command line (platform/linux/cli_output_files.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class PathKind { kMissing, kRegularFile, kSymbolicLink, kDirectory, kOther };

struct PathInfo {
  PathKind kind = PathKind::kMissing;
  uint32_t permissions = 0;  // permission bits of an existing path
  // The owner's write bit is set and the system lets this process write the
  // file: judged by the bits also for root, whom the system lets write any file.
  bool writable = false;
  uint64_t links = 0;  // hard links of an existing path
};

// Looks at `path` itself, not at what a symbolic link points to. False with
// the reason when the path cannot be examined (a missing path is no error).
bool InspectPath(const std::string& path, PathInfo& info, std::string& error);

// The file a path names, links followed: the same for every name of it.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
// False when nothing is there or it cannot be examined.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

using NewFileHandle = int;

// Creates `path`, which must not exist yet (`exists` is set when it did;
// nothing was touched then), with `permissions` (< 0: the process's default).
bool CreateNewFile(const std::string& path, int32_t permissions, NewFileHandle& handle, bool& exists,
                   std::string& error);
// Writes `bytes`, flushes them to the disk and closes the file, also on failure.
bool WriteAndCloseFile(NewFileHandle handle, std::string_view bytes, std::string& error);

// Replaces `to` by `from` in one step (both in one directory).
bool MoveFileOnto(const std::string& from, const std::string& to, std::string& error);
bool RemoveFile(const std::string& path, std::string& error);
// Whether a new file can be made in `directory`: it is a directory (links
// followed) that the process may write and search, on a writable file
// system. False with the reason when not. Makes nothing.
bool DirectoryTakesFiles(const std::string& directory, std::string& error);
// Makes one directory level; `exists` is set when something is in the way.
bool MakeDirectory(const std::string& path, bool& exists, std::string& error);
// Removes a directory only when it is empty.
void RemoveEmptyDirectory(const std::string& path);

// A number that differs between processes running at once, for names of
// temporary files.
uint32_t ProcessNumber();
