#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "host/cli/stop_cleanup.h"
#include "host/cli/stop_signals.h"

namespace {

// A signal the process was started to ignore (SIGHUP under nohup) stays ignored.
sigset_t StopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&set, number);
  }
  return set;
}

void WatchForStop(sigset_t set) {
  int caught = 0;
  while (sigwait(&set, &caught) != 0) {
  }
  CleanUpBeforeStop();
  const char* name = caught == SIGINT ? "SIGINT" : caught == SIGTERM ? "SIGTERM" : "SIGHUP";
  char message[128] = "spindrel: stopped by ";
  std::strcat(message, name);
  std::strcat(message, "; no partly written file is left\n");
  [[maybe_unused]] const ssize_t ignored = write(STDERR_FILENO, message, std::strlen(message));
  // End the way the signal would have, so the caller sees it.
  signal(caught, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, caught);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(caught);
  _exit(128 + caught);
}

}  // namespace

void StopCleanlyOnSignals() {
  const sigset_t set = StopSignalSet();
  if (sigisemptyset(&set)) return;
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread(WatchForStop, set).detach();
}
