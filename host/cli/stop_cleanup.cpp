#include "host/cli/stop_cleanup.h"

#include <filesystem>
#include <set>

#include "host/cli/private_directory.h"
#include "host/cli/safe_output.h"

namespace {

// Allocated once and never destroyed: a stop signal may arrive while the
// process exits.
struct StopState {
  std::mutex command;  // held by a command in progress, and by a stop for good
  std::mutex scratchMutex;
  std::set<std::string> scratchDirectories;
};

StopState& State() {
  static StopState* state = new StopState();
  return *state;
}

}  // namespace

std::unique_lock<std::mutex> HoldStopsUntilCommandEnds() { return std::unique_lock<std::mutex>(State().command); }

std::string MakeScratchDirectory(const std::string& purpose, std::string& error) {
  StopState& state = State();
  std::lock_guard<std::mutex> lock(state.scratchMutex);
  const std::string directory = MakePrivateDirectory(purpose, error);
  if (!directory.empty()) state.scratchDirectories.insert(directory);
  return directory;
}

void RemoveScratchDirectory(const std::string& directory) {
  StopState& state = State();
  std::lock_guard<std::mutex> lock(state.scratchMutex);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  state.scratchDirectories.erase(directory);
}

void CleanUpBeforeStop() {
  StopState& state = State();
  // Both held for good: the process ends right after.
  state.command.lock();
  state.scratchMutex.lock();
  std::error_code ignored;
  for (const std::string& directory : state.scratchDirectories) std::filesystem::remove_all(directory, ignored);
  state.scratchDirectories.clear();
  RemoveTemporariesBeforeStop();
}
