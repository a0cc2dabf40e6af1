// The one way the command line writes files, so that no failure destroys
// one.
//
// - Outputs are gathered in a batch. Each is written to a new temporary file
//   beside its target (".NAME.PID.N.tmp" in the same directory), flushed to
//   the disk, and the batch moves all of them into place together only when
//   every one is complete. A replaced file keeps its permission bits.
// - Only a missing path or a regular file of one link that its permission
//   bits let the process write is ever replaced: a symbolic link, a
//   directory, a device, a pipe, a socket, a read-only file (also when root
//   runs it) or a file with other hard links given as a target is refused
//   when it is added, before anything is written, and left as it is. So is
//   a path holding a control byte, and a target that is one of the batch's
//   guarded inputs (input_guard.h).
// - A batch that fails or is dropped without being committed removes its
//   temporaries and the directories it made (when still empty), and nothing
//   else: every path is left as the run found it.
// - RemoveTemporariesBeforeStop, for SIGINT and SIGTERM, removes the
//   temporaries and new empty directories of every batch of the process.
//   Batches may be written on several threads at once.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "host/cli/input_guard.h"

struct StagedOutput {
  std::string target;
  std::string temporary;  // empty until being written
  bool written = false;   // the temporary is complete
};

// Every batch of the process is guarded by one lock inside safe_output.cpp.
struct OutputBatch {
  OutputBatch();
  OutputBatch(const OutputBatch&) = delete;
  OutputBatch& operator=(const OutputBatch&) = delete;
  ~OutputBatch();  // discards what was not committed

  std::vector<StagedOutput> outputs;
  std::vector<std::string> madeDirectories;  // in the order made
  // Where a file could be made, each with its resolved form.
  std::map<std::string, std::string> checkedDirectories;
  // Every target with its directory resolved, to find one given twice.
  std::unordered_set<std::string> identities;
  std::vector<GuardedInput> inputs;  // no target may be one of them; set before the first is added
  bool finished = false;             // committed or discarded
};

// Why `path` may not name an output: it holds a control byte (0x00-0x1F or
// 0x7F), which would hide part of the name where it is shown or, a NUL, cut
// it short. Empty when it holds none. The message shows such bytes as \xHH.
std::string PathControlByteRefusal(std::string_view path);

// Makes `path` and its missing parents as directories of the batch; false
// with a message when something else is in the way or one cannot be made.
bool PrepareOutputDirectory(OutputBatch& batch, const std::string& path, std::string& error);

// Checks `target` and its directory (a file can be made there) and adds it
// to the batch as output `index`. False with a message that names the
// target and why it is refused.
// `savesProject`: the target saves the project (--save-project), which may
// replace the --project file the run read.
bool AddOutput(OutputBatch& batch, const std::string& target, size_t& index, std::string& error,
               bool savesProject = false);

// Writes output `index` in full to its temporary. Thread-safe.
bool WriteOutput(OutputBatch& batch, size_t index, std::string_view bytes, std::string& error);

// Moves every output into place, each target checked once more first.
// Every output must have been written.
bool CommitOutputs(OutputBatch& batch, std::string& error);
void DiscardOutputs(OutputBatch& batch);

// `name` inside `directory` (with or without a closing '/').
std::string OutputFilePath(const std::string& directory, const std::string& name);

// One file on its own: added, written and committed.
bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& error);

// For the stop signals: removes every temporary and every new empty
// directory of the process's batches; no batch writes or commits after it.
void RemoveTemporariesBeforeStop();
