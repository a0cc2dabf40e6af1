// Runs a spindrel command line in this process and keeps what it printed; file helpers for its tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/cli_support.h"
#include "host/cli/png_image.h"

struct CliRun {
  int code = 0;
  std::string out;
  std::string err;
};

// The folder of the built program, which holds the module and the desktop
// stand-in: commands run in this process take it as their program's folder,
// so the default module path is exercised.
inline std::string BuiltProgramDirectory() {
  const std::string module = SPINDREL_MODULE_PATH;
  return module.substr(0, module.find_last_of('/'));
}

inline CliRun RunCli(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.code = RunCommandLine(args, BuiltProgramDirectory(), {.out = &out, .err = &err});
  run.out = out.str();
  run.err = err.str();
  return run;
}

// spindrel session in this process with `actions` on standard input.
inline CliRun RunSessionCli(std::vector<std::string> args, const std::string& actions) {
  args.insert(args.begin(), "session");
  std::istringstream in(actions);
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.code = RunCommandLine(args, BuiltProgramDirectory(), {.out = &out, .err = &err, .in = &in});
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

inline bool IsOneErrorLine(const std::string& err) {
  return err.rfind("spindrel: error: ", 0) == 0 && std::count(err.begin(), err.end(), '\n') == 1;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::string SamplePath() { return std::string(SPINDREL_SOURCE_DIR) + "/samples/spindrel_text.png"; }

inline RgbaImage ReadPng(const std::string& path) {
  RgbaImage image;
  std::string error;
  EXPECT_TRUE(ReadPngFile(path, image, error)) << path << ": " << error;
  return image;
}

// Every entry under `root` with its kind, permission bits, link count and
// content or link target: what a run that fails must leave as it was.
inline std::map<std::string, std::string> Snapshot(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const fs::file_status status = entry.symlink_status();
    std::string& line = entries[fs::relative(entry.path(), root).string()];
    line = std::to_string(static_cast<int>(status.permissions())) + " ";
    if (fs::is_symlink(status)) {
      line += "link to " + fs::read_symlink(entry.path()).string();
    } else if (fs::is_regular_file(status)) {
      line += std::to_string(fs::hard_link_count(entry.path())) + " file " + ReadText(entry.path().string());
    } else {
      line += fs::is_directory(status) ? "directory" : "special";
    }
  }
  return entries;
}
