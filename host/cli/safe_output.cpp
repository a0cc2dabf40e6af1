#include "host/cli/safe_output.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "host/cli/output_file_system.h"
#include "host/text_join.h"
#include "host/untrusted_text.h"

namespace {

constexpr size_t kMaxNameInTemporary = 64;
constexpr int kTemporaryNameAttempts = 100;

// What every batch of the process has on disk and not yet moved into place.
// Allocated once and never destroyed: a stop signal may arrive while the
// process exits.
struct LiveOutputs {
  std::mutex mutex;
  std::set<std::string> temporaries;
  std::vector<std::string> madeDirectories;
  bool stopping = false;
};

LiveOutputs& Live() {
  static LiveOutputs* live = new LiveOutputs();
  return *live;
}

std::atomic<uint32_t> g_temporaryCounter{0};

std::string DirectoryOf(const std::string& path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

std::string TemporaryBeside(const std::string& target) {
  std::string name = std::filesystem::path(target).filename().string().substr(0, kMaxNameInTemporary);
  const std::string number = JoinText({std::to_string(ProcessNumber()), ".", std::to_string(g_temporaryCounter++)});
  return (std::filesystem::path(DirectoryOf(target)) / JoinText({".", name, ".", number, ".tmp"})).string();
}

// Why `info` may not be replaced, or empty when it may.
std::string TargetRefusal(const std::string& target, const PathInfo& info) {
  switch (info.kind) {
    case PathKind::kMissing: return "";
    case PathKind::kRegularFile:
      if (!info.writable) return JoinText({target, " is read-only; make it writable or choose another file"});
      if (info.links > 1) {
        return JoinText({target, " has ", std::to_string(info.links),
                         " hard links; a new file would split them (give a file with one name)"});
      }
      return "";
    case PathKind::kSymbolicLink:
      return JoinText({target, " is a symbolic link; spindrel replaces only regular files (give the file it points to)"});
    case PathKind::kDirectory: return JoinText({target, " is a directory; give a file name inside it"});
    case PathKind::kOther:
      return JoinText({target, " is a device, pipe or socket; spindrel writes only regular files"});
  }
  return "";
}

bool CheckTarget(const std::string& target, PathInfo& info, std::string& error) {
  std::string reason;
  if (!InspectPath(target, info, reason)) {
    error = JoinText({"cannot write ", target, ": ", reason});
    return false;
  }
  error = TargetRefusal(target, info);
  return error.empty();
}

// Makes a new temporary for `target`, registered as live. Takes the live
// lock only while the file is made, so that a stop either sees it or
// prevents it.
bool CreateTemporary(const std::string& target, int32_t permissions, std::string& temporary, NewFileHandle& handle,
                     std::string& error) {
  LiveOutputs& live = Live();
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = TemporaryBeside(target);
    std::lock_guard<std::mutex> lock(live.mutex);
    if (live.stopping) {
      error = JoinText({"cannot write ", target, ": the run is stopping"});
      return false;
    }
    bool exists = false;
    std::string reason;
    if (CreateNewFile(temporary, permissions, handle, exists, reason)) {
      live.temporaries.insert(temporary);
      return true;
    }
    if (!exists) {
      error = JoinText({"cannot write a file in ", DirectoryOf(target), ": ", reason});
      return false;
    }
  }
  error = JoinText({"cannot find a free temporary name beside ", target});
  return false;
}

// Caller holds the live lock.
void RemoveTemporaryLocked(LiveOutputs& live, const std::string& temporary) {
  std::string ignored;
  RemoveFile(temporary, ignored);
  live.temporaries.erase(temporary);
}

// The batch's directories are no longer the stop handler's to remove.
// Caller holds the batch lock and the live lock.
void ForgetDirectoriesLocked(LiveOutputs& live, const OutputBatch& batch) {
  auto& made = live.madeDirectories;
  for (const std::string& directory : batch.madeDirectories) {
    made.erase(std::remove(made.begin(), made.end(), directory), made.end());
  }
}

// Removes the directories the batch made, deepest first, when they are empty.
// Caller holds the batch lock.
void RemoveMadeDirectories(const OutputBatch& batch) {
  for (auto it = batch.madeDirectories.rbegin(); it != batch.madeDirectories.rend(); ++it) RemoveEmptyDirectory(*it);
}

}  // namespace

OutputBatch::~OutputBatch() { DiscardOutputs(*this); }

std::string PathControlByteRefusal(std::string_view path) {
  const auto control = std::find_if(path.begin(), path.end(), IsControlByte);
  if (control == path.end()) return "";
  return JoinText({"the path \"", EscapedControlBytes(path), "\" holds the control byte ",
                   EscapedControlBytes(std::string_view(&*control, 1)), "; give a path without control bytes"});
}

bool PrepareOutputDirectory(OutputBatch& batch, const std::string& path, std::string& error) {
  error = PathControlByteRefusal(path);
  if (!error.empty()) return false;
  // Every level from the outermost missing one down to `path`.
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::vector<std::string> levels;
  std::error_code ignored;
  for (std::filesystem::path level(trimmed); !level.empty(); level = level.parent_path()) {
    const std::string text = level.string();
    PathInfo info;
    std::string reason;
    if (!InspectPath(text, info, reason)) {
      error = JoinText({"cannot make the directory ", path, ": ", reason});
      return false;
    }
    if (info.kind == PathKind::kDirectory) break;
    if (info.kind == PathKind::kSymbolicLink && std::filesystem::is_directory(level, ignored)) break;
    if (info.kind != PathKind::kMissing) {
      error = JoinText({text, " exists and is not a directory"});
      return false;
    }
    levels.push_back(text);
    if (level == level.parent_path()) break;
  }
  std::lock_guard<std::mutex> lock(batch.mutex);
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    bool exists = false;
    std::string reason;
    LiveOutputs& live = Live();
    std::lock_guard<std::mutex> liveLock(live.mutex);
    if (!live.stopping && MakeDirectory(*it, exists, reason)) {
      batch.madeDirectories.push_back(*it);
      live.madeDirectories.push_back(*it);
      continue;
    }
    if (exists && std::filesystem::is_directory(*it, ignored)) continue;  // made by someone else meanwhile
    error = JoinText({"cannot make the directory ", *it, ": ", live.stopping ? "the run is stopping" : reason});
    return false;
  }
  return true;
}

bool AddOutput(OutputBatch& batch, const std::string& target, size_t& index, std::string& error,
               bool savesProject) {
  error = PathControlByteRefusal(target);
  if (error.empty() && (target.empty() || target.back() == '/')) error = JoinText({"\"", target, "\" names no file"});
  if (!error.empty()) return false;
  const std::string directory = DirectoryOf(target);
  std::lock_guard<std::mutex> lock(batch.mutex);
  auto checked = batch.checkedDirectories.find(directory);
  const std::string resolvedDirectory =
      checked != batch.checkedDirectories.end() ? checked->second : ResolvedPath(directory);
  const std::string identity = JoinText({resolvedDirectory, "/", std::filesystem::path(target).filename().string()});
  // Before the kind of the target, so that a link to an input is named as that.
  error = InputOverwriteRefusal(target, batch.inputs, identity, savesProject);
  if (!error.empty()) return false;
  PathInfo info;
  if (!CheckTarget(target, info, error)) return false;
  if (checked == batch.checkedDirectories.end()) {
    PathInfo where;
    std::string reason;
    if (!InspectPath(directory, where, reason) || where.kind == PathKind::kMissing) {
      error = JoinText({"cannot write ", target, ": the directory ", directory, " does not exist"});
      return false;
    }
    // A file that can be made now shows that the directory takes files.
    std::string probe;
    NewFileHandle handle = -1;
    if (!CreateTemporary(target, -1, probe, handle, error)) return false;
    WriteAndCloseFile(handle, "", reason);
    {
      LiveOutputs& live = Live();
      std::lock_guard<std::mutex> liveLock(live.mutex);
      RemoveTemporaryLocked(live, probe);
    }
    checked = batch.checkedDirectories.emplace(directory, resolvedDirectory).first;
  }
  if (!batch.identities.insert(identity).second) {
    error = JoinText({target, " is given twice as an output"});
    return false;
  }
  index = batch.outputs.size();
  batch.outputs.push_back(StagedOutput{target, ""});
  return true;
}

bool WriteOutput(OutputBatch& batch, size_t index, std::string_view bytes, std::string& error) {
  std::string target;
  {
    std::lock_guard<std::mutex> lock(batch.mutex);
    if (batch.finished || index >= batch.outputs.size() || !batch.outputs[index].temporary.empty()) {
      error = "an output was written twice or after its batch ended";
      return false;
    }
    target = batch.outputs[index].target;
  }
  PathInfo info;
  if (!CheckTarget(target, info, error)) return false;
  const int32_t permissions = info.kind == PathKind::kRegularFile ? static_cast<int32_t>(info.permissions) : -1;
  std::string temporary;
  NewFileHandle handle = -1;
  if (!CreateTemporary(target, permissions, temporary, handle, error)) return false;
  std::string reason;
  const bool written = WriteAndCloseFile(handle, bytes, reason);
  std::lock_guard<std::mutex> lock(batch.mutex);
  if (!written || batch.finished) {
    LiveOutputs& live = Live();
    std::lock_guard<std::mutex> liveLock(live.mutex);
    RemoveTemporaryLocked(live, temporary);
    error = written ? "an output was written after its batch ended" : JoinText({"cannot write ", target, ": ", reason});
    return false;
  }
  batch.outputs[index].temporary = temporary;
  return true;
}

bool CommitOutputs(OutputBatch& batch, std::string& error) {
  {
    std::lock_guard<std::mutex> lock(batch.mutex);
    LiveOutputs& live = Live();
    std::lock_guard<std::mutex> liveLock(live.mutex);
    bool ready = !batch.finished && !live.stopping;
    if (!ready) error = "the outputs cannot be moved into place: the run is stopping";
    for (const StagedOutput& output : batch.outputs) {
      PathInfo info;
      if (!ready) break;
      if (output.temporary.empty()) {
        error = JoinText({output.target, " was not written"});
        ready = false;
      } else {
        ready = CheckTarget(output.target, info, error);
      }
    }
    if (ready) {
      for (StagedOutput& output : batch.outputs) {
        std::string reason;
        if (!ready) break;
        if (MoveFileOnto(output.temporary, output.target, reason)) {
          live.temporaries.erase(output.temporary);
          output.temporary.clear();
        } else {
          error = JoinText({"cannot replace ", output.target, ": ", reason});
          ready = false;
        }
      }
      if (ready) {
        batch.finished = true;
        ForgetDirectoriesLocked(live, batch);
        return true;
      }
    }
  }
  DiscardOutputs(batch);
  return false;
}

void DiscardOutputs(OutputBatch& batch) {
  std::lock_guard<std::mutex> lock(batch.mutex);
  if (batch.finished) return;
  batch.finished = true;
  LiveOutputs& live = Live();
  std::lock_guard<std::mutex> liveLock(live.mutex);
  for (StagedOutput& output : batch.outputs) {
    if (output.temporary.empty()) continue;
    RemoveTemporaryLocked(live, output.temporary);
    output.temporary.clear();
  }
  RemoveMadeDirectories(batch);
  ForgetDirectoriesLocked(live, batch);
}

std::string OutputFilePath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && directory.back() == '/') return directory + name;
  return JoinText({directory, "/", name});
}

bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& error) {
  OutputBatch batch;
  size_t index = 0;
  return AddOutput(batch, target, index, error) && WriteOutput(batch, index, bytes, error) &&
         CommitOutputs(batch, error);
}

void RemoveTemporariesBeforeStop() {
  LiveOutputs& live = Live();
  // Held for good: the process ends right after.
  live.mutex.lock();
  live.stopping = true;
  std::string ignored;
  for (const std::string& temporary : live.temporaries) RemoveFile(temporary, ignored);
  live.temporaries.clear();
  for (auto it = live.madeDirectories.rbegin(); it != live.madeDirectories.rend(); ++it) RemoveEmptyDirectory(*it);
  live.madeDirectories.clear();
}
