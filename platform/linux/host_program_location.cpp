#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "host/program_location.h"

std::string RunningProgramDirectory(std::string& error) {
  // The link names the file the kernel executed, symbolic links resolved.
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) {
      error = std::string("cannot read /proc/self/exe: ") + std::strerror(errno);
      return {};
    }
    if (static_cast<size_t>(length) < path.size()) {
      path.resize(static_cast<size_t>(length));
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of('/');
  if (path.empty() || path[0] != '/' || slash == std::string::npos) {
    error = "/proc/self/exe names no file: " + path;
    return {};
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}
