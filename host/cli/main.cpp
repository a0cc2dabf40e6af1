// The reference host's command line.
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/cli_support.h"
#include "host/cli/stop_signals.h"
#include "host/terminal_check.h"

int main(int argc, char** argv) {
  StopCleanlyOnSignals();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCommandLine(args, argc > 0 ? argv[0] : "spindrel",
                        {.out = &std::cout, .err = &std::cerr, .in = &std::cin, .showProgress = StandardErrorIsTerminal()});
}
