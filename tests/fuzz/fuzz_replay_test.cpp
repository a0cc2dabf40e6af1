// Every kept fuzz input (the seeds in fuzz/corpus/NAME and each input a
// fuzzer once failed on, in fuzz/regressions/NAME) replayed through its fuzz
// target: a target aborts on a broken invariant, and the sanitizer builds
// catch memory and undefined-behaviour faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_host.h"

extern "C" int FuzzOne_saved_blocks(const uint8_t* data, size_t size);
extern "C" int FuzzOne_project_file(const uint8_t* data, size_t size);
extern "C" int FuzzOne_png(const uint8_t* data, size_t size);
extern "C" int FuzzOne_param_text(const uint8_t* data, size_t size);
extern "C" int FuzzOne_render(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

TEST(FuzzReplay, EveryKeptInputRunsClean) {
  const std::pair<const char*, int (*)(const uint8_t*, size_t)> targets[] = {
      {"saved_blocks", FuzzOne_saved_blocks}, {"project_file", FuzzOne_project_file}, {"png", FuzzOne_png},
      {"param_text", FuzzOne_param_text},     {"render", FuzzOne_render},
  };
  size_t replayed = 0;
  for (const auto& [name, run] : targets) {
    for (const char* kind : {"corpus", "regressions"}) {
      const fs::path directory = fs::path(SPINDREL_SOURCE_DIR) / "fuzz" / kind / name;
      if (!fs::is_directory(directory)) continue;
      for (const auto& entry : fs::directory_iterator(directory)) {
        SCOPED_TRACE(entry.path().string());
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(run(bytes.data(), bytes.size()), 0);
        ++replayed;
      }
    }
  }
  CloseFuzzHost();
  EXPECT_GE(replayed, 20u);
}
