#include "platform/linux/dialog_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace {

void CloseBoth(int pipeEnds[2]) {
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

}  // namespace

DialogToolRun RunDialogTool(const std::vector<std::string>& arguments) {
  DialogToolRun run;
  if (arguments.empty()) return run;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    CloseBoth(output);
    return run;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (spawnError != 0) {
    close(output[0]);
    if (spawnError == ENOENT) run.start = DialogToolStart::kNotFound;
    return run;
  }

  char buffer[4096];
  for (;;) {
    const ssize_t got = read(output[0], buffer, sizeof buffer);
    if (got > 0) {
      run.output.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(output[0]);

  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited == -1 && errno == EINTR);
  if (waited == pid && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  // 126 and 127 are the statuses of a program that could not be executed or
  // whose libraries could not be loaded: it never ran.
  constexpr int kCannotExecute = 126;
  constexpr int kCannotLoad = 127;
  const bool ran = run.exitStatus != kCannotExecute && run.exitStatus != kCannotLoad;
  run.start = ran ? DialogToolStart::kStarted : DialogToolStart::kFailed;
  return run;
}
