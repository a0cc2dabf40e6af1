// The reference host's command line.
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/broken_pipe.h"
#include "host/cli/cli_support.h"
#include "host/cli/stop_signals.h"
#include "host/program_location.h"
#include "host/terminal_check.h"

int main(int argc, char** argv) {
  StopCleanlyOnSignals();
  ReportBrokenPipesAsWriteErrors();
  // The module and the desktop stand-in come from the executable's own
  // folder: found from argv[0], a program run by name would take them from
  // wherever the user stands.
  std::string error;
  const std::string programDirectory = RunningProgramDirectory(error);
  if (programDirectory.empty()) {
    std::cerr << "spindrel: error: cannot find the folder of the running program: " << error << "\n";
    return 1;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCommandLine(args, programDirectory,
                        {.out = &std::cout, .err = &std::cerr, .in = &std::cin, .showProgress = StandardErrorIsTerminal()});
}
