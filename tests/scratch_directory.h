// A directory of one test's own for its scratch files, removed with all it
// holds when the test ends (also when an assertion ends it early).
//
// Its name is unique on the machine, not only in this process: it is made
// exclusively under the system's temporary directory, with a random part
// that is drawn again when the name is taken. Tests running side by side,
// or the tests of two builds at once, never share or remove each other's.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

struct ScratchDirectory {
  // `purpose` becomes part of the name, to tell leftovers apart.
  explicit ScratchDirectory(std::string_view purpose) {
    namespace fs = std::filesystem;
    const fs::path parent = fs::temp_directory_path();
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = parent / ("spindrel-" + std::string(purpose) + "-" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        path = candidate;
        return;
      }
      if (error) break;  // not a name taken: the parent cannot hold it
    }
    ADD_FAILURE() << "cannot make a scratch directory in " << parent.string();
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The path of `name` inside (which may name a sub-directory, "dir/file").
  std::string File(std::string_view name) const { return (path / std::string(name)).string(); }
  std::string Path() const { return path.string(); }

  std::filesystem::path path;
};
