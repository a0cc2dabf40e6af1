#include <signal.h>

#include "host/cli/broken_pipe.h"

namespace {

void IgnoreBrokenPipe(int) {}

}  // namespace

// A handler that does nothing, not SIG_IGN: an ignored signal stays ignored
// in the programs a command starts (the desktop's dialog tool), a handler
// goes back to the default at exec.
void ReportBrokenPipesAsWriteErrors() {
  struct sigaction action {};
  action.sa_handler = IgnoreBrokenPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGPIPE, &action, nullptr);
}
