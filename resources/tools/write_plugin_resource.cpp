// Writes the plug-in resource bytes to a file, so that the build can embed
// them in the Windows DLL and later compare the DLL against them. The Windows
// cross build compiles this with the build machine's own compiler.
#include <cstdio>
#include <cstdlib>

#include "resources/plugin_resource.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> bytes = BuildPluginResource();
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "%s: write failed\n", argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
