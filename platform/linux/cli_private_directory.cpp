#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "host/cli/private_directory.h"

std::string MakePrivateDirectory(const std::string& purpose, std::string& error) {
  const char* parent = std::getenv("TMPDIR");
  if (parent == nullptr || parent[0] == '\0') parent = "/tmp";
  const std::string pattern = std::string(parent) + "/spindrel-" + purpose + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the directory with mode 0700, or fails when the name is taken.
  if (mkdtemp(name.data()) == nullptr) {
    error = "cannot make a private directory in " + std::string(parent) + ": " + std::strerror(errno);
    return {};
  }
  return name.data();
}
