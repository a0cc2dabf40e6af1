// Runs a spindrel command line in this process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "host/cli/cli_support.h"

struct CliRun {
  int code = 0;
  std::string out;
  std::string err;
};

// argv0 beside the built module, so the default module path is exercised.
inline std::string CliArgv0() {
  const std::string module = SPINDREL_MODULE_PATH;
  return module.substr(0, module.find_last_of('/')) + "/spindrel";
}

inline CliRun RunCli(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.code = RunCommandLine(args, CliArgv0(), out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}
