// The `spindrel` command line run in this process, for benchmarks that time
// what a user times: from the input PNG to the files written.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_host.h"
#include "host/cli/cli_support.h"

namespace bench_command_line {

// Runs `args` (with the built module) once per benchmark iteration; the first
// failure ends the benchmark with the command line's message.
inline void RunEachIteration(benchmark::State& state, std::vector<std::string> args) {
  bench_host::CloseBenchHost();  // the command line opens its own reference host
  args.insert(args.end(), {"--module", SPINDREL_MODULE_PATH});
  const std::string programDirectory = std::filesystem::path(SPINDREL_MODULE_PATH).parent_path().string();
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    if (RunCommandLine(args, programDirectory, {.out = &out, .err = &err}) != 0) {
      state.SkipWithError(err.str().c_str());
      break;
    }
  }
}

}  // namespace bench_command_line
