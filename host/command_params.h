// The parameter array of one command: the values at the command's time with
// points in layer pixels and a private copy of every data blob, so commands
// on several threads never share a record or a block. When the host renders
// at a reduced size, points are scaled by the downsample ratios (rounded to
// the nearest 1/65536, halves away from zero) from the full-size layer.
//
// One call prepares a command's array (PrepareCommandParams) and one takes
// it back afterwards (TakeBackCommandParams): the copies the command did not
// change are disposed of, and what it flagged as changed is taken over,
// held for later or dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"

struct ReferenceHost;

struct CommandParams {
  std::vector<HostParamDef> records;  // by id; record 0 holds the input layer
  std::vector<HostParamDef*> pointers;
  std::vector<HostHandle> dataCopies;  // by id: the copy this command was given
  int32_t time = 0;                    // host time units
};

// The array a command at `time` gets, with `input` as the input layer (null
// for none) and each data parameter holding a copy of its current block.
CommandParams PrepareCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time = 0);

// A value a command flagged as changed, not taken over yet; a data record's
// handle belongs to it.
struct HeldParamChange {
  int32_t id = 0;
  HostParamDef record{};
  int32_t time = 0;  // of the command that wrote it
};

// Changes held back from several commands, on any threads (the frames of an
// animation): per parameter the one written at the latest time.
struct HeldParamChanges {
  std::mutex mutex;
  std::map<int32_t, HeldParamChange> latest;  // by parameter id
};

enum class ChangedParams {
  kTakeOver,  // a blob record's handle becomes the current data; a keyed parameter gets a key at the command's time
  kHold,      // kept in `held` for later
  kDrop,      // the host's own look at what a command would do leaves the values as they were
};

// What becomes of the values a command flagged as changed.
struct ParamsReturn {
  ChangedParams changed = ChangedParams::kTakeOver;
  HeldParamChanges* held = nullptr;  // for kHold; null drops them
  // For kTakeOver: called with each id to be taken over, before any is.
  std::function<void(int32_t id)> beforeTakeOver = nullptr;
};

// Takes the array back after its command (layers aside). Returns the ids
// taken over, ascending.
std::vector<int32_t> TakeBackCommandParams(ReferenceHost& host, CommandParams& params, const ParamsReturn& how = {});

// After the last command that held changes: takes them over, or drops them
// with their data handles. `held` is emptied.
void TakeOverHeldChanges(ReferenceHost& host, HeldParamChanges& held);
void DropHeldChanges(ReferenceHost& host, HeldParamChanges& held);

using CommandParamsCall = std::function<HostError(HostInData& in, HostParamDef* params[])>;

// For the host's own run of the effect's stages in this process: prepares
// the array, calls `call` with it and the command's input record,
// checkouts answering from it, and takes it back, also when `call` throws.
HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const CommandParamsCall& call, const ParamsReturn& how = {});
