// Replacing a file on POSIX systems (the Linux and macOS builds): the new
// contents go into a file created exclusively, which rename() then puts over
// the target atomically.
#include "overlay_export/platform_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
