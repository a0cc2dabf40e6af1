#include "host/cli/safe_output.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "host/cli/output_file_system.h"
#include "host/text_join.h"
#include "host/untrusted_text.h"

namespace {

constexpr size_t kMaxNameInTemporary = 64;
constexpr int kTemporaryNameAttempts = 100;

// Every batch of the process not yet committed or discarded, under the one
// lock that guards them all: a stop either sees what a batch put on disk or
// prevents it. Allocated once and never destroyed: a stop signal may arrive
// while the process exits.
struct LiveBatches {
  std::mutex mutex;
  std::vector<OutputBatch*> batches;  // in the order made
  uint32_t temporaryCounter = 0;
  bool stopping = false;
};

LiveBatches& Live() {
  static LiveBatches* live = new LiveBatches();
  return *live;
}

std::string DirectoryOf(const std::string& path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

std::string TemporaryBeside(const std::string& target, uint32_t number) {
  const std::string name = std::filesystem::path(target).filename().string().substr(0, kMaxNameInTemporary);
  const std::string suffix = JoinText({std::to_string(ProcessNumber()), ".", std::to_string(number), ".tmp"});
  return (std::filesystem::path(DirectoryOf(target)) / JoinText({".", name, ".", suffix})).string();
}

// Why `target` may not be replaced, or empty when it may; `info` tells what is there.
std::string TargetRefusal(const std::string& target, PathInfo& info) {
  std::string reason;
  if (!InspectPath(target, info, reason)) return JoinText({"cannot write ", target, ": ", reason});
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

// Why no file can be made for `target` in `directory`, or empty.
std::string DirectoryRefusal(const std::string& target, const std::string& directory) {
  PathInfo info;
  std::string reason;
  if (InspectPath(directory, info, reason) && info.kind == PathKind::kMissing) {
    return JoinText({"cannot write ", target, ": the directory ", directory, " does not exist"});
  }
  if (reason.empty() && DirectoryTakesFiles(directory, reason)) return "";
  return JoinText({"cannot write a file in ", directory, ": ", reason});
}

void RemoveLeftovers(OutputBatch& batch) {
  std::string ignored;
  for (StagedOutput& output : batch.outputs) {
    if (!output.temporary.empty()) RemoveFile(output.temporary, ignored);
    output.temporary.clear();
  }
}

// Deepest first, each only when empty.
void RemoveMadeDirectories(const OutputBatch& batch) {
  for (auto it = batch.madeDirectories.rbegin(); it != batch.madeDirectories.rend(); ++it) RemoveEmptyDirectory(*it);
}

void Finish(LiveBatches& live, OutputBatch& batch) {
  batch.finished = true;
  live.batches.erase(std::remove(live.batches.begin(), live.batches.end(), &batch), live.batches.end());
}

}  // namespace

OutputBatch::OutputBatch() {
  LiveBatches& live = Live();
  std::lock_guard<std::mutex> lock(live.mutex);
  live.batches.push_back(this);
}

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
  LiveBatches& live = Live();
  std::lock_guard<std::mutex> lock(live.mutex);
  // Level by level from the outermost: below the first missing one every
  // level is missing, so what is in the way is found before anything is made.
  std::filesystem::path level;
  for (const std::filesystem::path& part : std::filesystem::path(path)) {
    if (part.empty()) continue;
    level /= part;
    const std::string text = level.string();
    std::error_code ignored;
    PathInfo info;
    std::string reason;
    if (!InspectPath(text, info, reason)) {
      error = JoinText({"cannot make the directory ", path, ": ", reason});
      return false;
    }
    if (info.kind == PathKind::kDirectory) continue;
    if (info.kind == PathKind::kSymbolicLink && std::filesystem::is_directory(level, ignored)) continue;
    if (info.kind != PathKind::kMissing) {
      error = JoinText({text, " exists and is not a directory"});
      return false;
    }
    bool exists = false;
    reason = "the run is stopping";
    if (!live.stopping && MakeDirectory(text, exists, reason)) {
      batch.madeDirectories.push_back(text);
    } else if (!exists || !std::filesystem::is_directory(level, ignored)) {  // else made by someone else meanwhile
      error = JoinText({"cannot make the directory ", text, ": ", reason});
      return false;
    }
  }
  return true;
}

bool AddOutput(OutputBatch& batch, const std::string& target, size_t& index, std::string& error,
               bool savesProject) {
  error = PathControlByteRefusal(target);
  if (error.empty() && (target.empty() || target.back() == '/')) error = JoinText({"\"", target, "\" names no file"});
  if (!error.empty()) return false;
  const std::string directory = DirectoryOf(target);
  std::lock_guard<std::mutex> lock(Live().mutex);
  auto checked = batch.checkedDirectories.find(directory);
  const bool newDirectory = checked == batch.checkedDirectories.end();
  const std::string resolvedDirectory = newDirectory ? ResolvedPath(directory) : checked->second;
  const std::string identity = JoinText({resolvedDirectory, "/", std::filesystem::path(target).filename().string()});
  // Before the kind of the target, so that a link to an input is named as that.
  error = InputOverwriteRefusal(target, batch.inputs, identity, savesProject);
  PathInfo info;
  if (error.empty()) error = TargetRefusal(target, info);
  if (error.empty() && newDirectory) error = DirectoryRefusal(target, directory);
  if (error.empty() && !batch.identities.insert(identity).second) {
    error = JoinText({target, " is given twice as an output"});
  }
  if (!error.empty()) return false;
  if (newDirectory) batch.checkedDirectories.emplace(directory, resolvedDirectory);
  index = batch.outputs.size();
  batch.outputs.push_back(StagedOutput{target, "", false});
  return true;
}

bool WriteOutput(OutputBatch& batch, size_t index, std::string_view bytes, std::string& error) {
  LiveBatches& live = Live();
  std::string target;
  std::string temporary;
  NewFileHandle handle = -1;
  {
    std::lock_guard<std::mutex> lock(live.mutex);
    if (batch.finished || index >= batch.outputs.size() || !batch.outputs[index].temporary.empty()) {
      error = "an output was written twice or after its batch ended";
      return false;
    }
    target = batch.outputs[index].target;
    PathInfo info;
    error = TargetRefusal(target, info);
    if (!error.empty()) return false;
    // A new file beside the target, with its permission bits.
    const int32_t permissions = info.kind == PathKind::kRegularFile ? static_cast<int32_t>(info.permissions) : -1;
    bool exists = true;
    std::string reason;
    for (int attempt = 0; exists && !live.stopping && attempt < kTemporaryNameAttempts; ++attempt) {
      temporary = TemporaryBeside(target, live.temporaryCounter++);
      if (CreateNewFile(temporary, permissions, handle, exists, reason)) {
        batch.outputs[index].temporary = temporary;
        break;
      }
    }
    if (batch.outputs[index].temporary.empty()) {
      error = live.stopping ? JoinText({"cannot write ", target, ": the run is stopping"})
              : exists      ? JoinText({"cannot find a free temporary name beside ", target})
                            : JoinText({"cannot write a file in ", DirectoryOf(target), ": ", reason});
      return false;
    }
  }
  std::string reason;
  const bool written = WriteAndCloseFile(handle, bytes, reason);
  std::lock_guard<std::mutex> lock(live.mutex);
  if (written && !batch.finished) {
    batch.outputs[index].written = true;
    return true;
  }
  std::string ignored;
  RemoveFile(temporary, ignored);
  if (!batch.finished) batch.outputs[index].temporary.clear();
  error = written ? "an output was written after its batch ended" : JoinText({"cannot write ", target, ": ", reason});
  return false;
}

bool CommitOutputs(OutputBatch& batch, std::string& error) {
  {
    LiveBatches& live = Live();
    std::lock_guard<std::mutex> lock(live.mutex);
    error = batch.finished || live.stopping ? "the outputs cannot be moved into place: the run is stopping" : "";
    for (const StagedOutput& output : batch.outputs) {
      PathInfo info;
      if (error.empty() && !output.written) error = JoinText({output.target, " was not written"});
      if (error.empty()) error = TargetRefusal(output.target, info);
    }
    for (StagedOutput& output : batch.outputs) {
      std::string reason;
      if (error.empty() && !MoveFileOnto(output.temporary, output.target, reason)) {
        error = JoinText({"cannot replace ", output.target, ": ", reason});
      }
      if (error.empty()) output.temporary.clear();
    }
    if (error.empty()) {
      Finish(live, batch);
      return true;
    }
  }
  DiscardOutputs(batch);
  return false;
}

void DiscardOutputs(OutputBatch& batch) {
  LiveBatches& live = Live();
  std::lock_guard<std::mutex> lock(live.mutex);
  if (batch.finished) return;
  RemoveLeftovers(batch);
  RemoveMadeDirectories(batch);
  Finish(live, batch);
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
  LiveBatches& live = Live();
  // Held for good: the process ends right after.
  live.mutex.lock();
  live.stopping = true;
  for (OutputBatch* batch : live.batches) RemoveLeftovers(*batch);
  for (auto it = live.batches.rbegin(); it != live.batches.rend(); ++it) RemoveMadeDirectories(**it);
}
