#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "host/cli/output_file_system.h"
#include "host/text_join.h"

namespace {

std::string SystemReason(int code) { return std::generic_category().message(code); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

bool InspectPath(const std::string& path, PathInfo& info, std::string& error) {
  info = PathInfo{};
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return true;
    error = SystemReason(errno);
    return false;
  }
  info.permissions = static_cast<uint32_t>(status.st_mode & 07777);
  info.links = static_cast<uint64_t>(status.st_nlink);
  if (S_ISREG(status.st_mode)) {
    info.kind = PathKind::kRegularFile;
    info.writable = (status.st_mode & S_IWUSR) != 0 && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
  } else if (S_ISLNK(status.st_mode)) {
    info.kind = PathKind::kSymbolicLink;
  } else if (S_ISDIR(status.st_mode)) {
    info.kind = PathKind::kDirectory;
  } else {
    info.kind = PathKind::kOther;
  }
  return true;
}

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  identity = {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
  return true;
}

bool CreateNewFile(const std::string& path, int32_t permissions, NewFileHandle& handle, bool& exists,
                   std::string& error) {
  exists = false;
  handle = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (handle < 0) {
    exists = errno == EEXIST;
    error = SystemReason(errno);
    return false;
  }
  if (permissions >= 0 && fchmod(handle, static_cast<mode_t>(permissions)) != 0) {
    error = SystemReason(errno);
    close(handle);
    unlink(path.c_str());
    return false;
  }
  return true;
}

bool WriteAndCloseFile(NewFileHandle handle, std::string_view bytes, std::string& error) {
  bool ok = WriteAll(handle, bytes) && fsync(handle) == 0;
  int failure = ok ? 0 : errno;
  // Some file systems report a failed write only when the file is closed.
  if (close(handle) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) error = SystemReason(failure);
  return ok;
}

bool MoveFileOnto(const std::string& from, const std::string& to, std::string& error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  error = SystemReason(errno);
  return false;
}

bool RemoveFile(const std::string& path, std::string& error) {
  if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  error = SystemReason(errno);
  return false;
}

bool DirectoryTakesFiles(const std::string& directory, std::string& error) {
  struct stat status {};
  int failure = 0;
  if (stat(directory.c_str(), &status) != 0) {
    failure = errno;
  } else if (!S_ISDIR(status.st_mode)) {
    failure = ENOTDIR;
  } else if (faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    failure = errno;
  }
  if (failure != 0) error = SystemReason(failure);
  return failure == 0;
}

bool MakeDirectory(const std::string& path, bool& exists, std::string& error) {
  exists = false;
  if (mkdir(path.c_str(), 0777) == 0) return true;
  exists = errno == EEXIST;
  error = SystemReason(errno);
  return false;
}

void RemoveEmptyDirectory(const std::string& path) { rmdir(path.c_str()); }

uint32_t ProcessNumber() { return static_cast<uint32_t>(getpid()); }
