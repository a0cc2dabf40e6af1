// Runs the built spindrel program as a child process with chosen standard
// streams, for what only a real process shows: exit codes, signals, streams.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

struct CliProcess {
  pid_t pid = -1;
};

// Standard output goes to `stdoutFd` (-1: /dev/null), standard error to the
// file `errPath`.
inline CliProcess StartCli(const std::vector<std::string>& args, int stdoutFd, const std::string& errPath) {
  std::vector<std::string> all = {SPINDREL_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  CliProcess process;
  if (posix_spawn(&process.pid, all[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) process.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return process;
}

// The wait status of the process; `usage`, when given, gets what it used.
inline int WaitCli(const CliProcess& process, rusage* usage = nullptr) {
  int status = 0;
  while (wait4(process.pid, &status, 0, usage) < 0) {
  }
  return status;
}
