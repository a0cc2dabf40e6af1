// Replacing a file on POSIX systems (the Linux and macOS builds): the new
// contents go into a file created exclusively, which rename() then puts over
// the target atomically.
#include "overlay_export/platform_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

ReplaceTarget InspectReplaceTarget(const char* path) {
  struct stat status;
  if (lstat(path, &status) != 0) return errno == ENOENT ? ReplaceTarget::kMissing : ReplaceTarget::kRefused;
  // rename() would put a new file in place of a link or a special file, and
  // would give a hard-linked file's other names the old contents. A file is
  // read-only when its owner's write bit is off, as Windows's read-only
  // attribute; access() alone lets root write anything.
  const bool replaceable = S_ISREG(status.st_mode) && status.st_nlink <= 1 && (status.st_mode & S_IWUSR) != 0 &&
                           faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
  return replaceable ? ReplaceTarget::kReplaceable : ReplaceTarget::kRefused;
}

FILE* CreateNewTextFile(const char* path) {
  const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor == -1) return nullptr;
  FILE* file = fdopen(descriptor, "w");
  if (file == nullptr) close(descriptor);
  return file;
}

bool CloseWrittenFile(FILE* file) {
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0 && fsync(fileno(file)) == 0;
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}

bool MoveFileIntoPlace(const char* from, const char* to) {
  // The new file was made with the default permissions; a file it replaces
  // keeps the ones its owner gave it.
  struct stat existing;
  if (stat(to, &existing) == 0 && S_ISREG(existing.st_mode)) chmod(from, existing.st_mode & 07777);
  return rename(from, to) == 0;
}

size_t DirectoryPartLength(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

uint32_t CurrentProcessNumber() { return static_cast<uint32_t>(getpid()); }
