// The parameter array of one command: the values at the command's time with
// points in layer pixels and a private copy of every data blob, so commands
// on several threads never share a record or a block. When the host renders
// at a reduced size, points are scaled by the downsample ratios (rounded to
// the nearest 1/65536, halves away from zero) from the full-size layer.
//
// RunWithCommandParams is the whole life of one such array: built, handed
// to a call (the entry point, or the host's own run of the effect's stages)
// with checkouts answering from it, and its changes taken over.
#pragma once

#include <cstdint>
#include <functional>
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

CommandParams BuildCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time = 0);

// A value a command flagged as changed, not taken over yet; a data record's
// handle belongs to it.
struct HeldParamChange {
  int32_t id = 0;
  HostParamDef record{};
  int32_t time = 0;  // of the command that wrote it
};

// Disposes the data copies the command did not change and returns the
// values whose change flag is 1 (layers aside), held.
std::vector<HeldParamChange> HoldParamChanges(ReferenceHost& host, CommandParams& params);
// Takes over held changes in order (a blob record's handle becomes the
// current data; a keyed parameter gets a key at the change's time).
// `beforeTakeOver`, when given, is called with each id just before its value
// is taken over. Returns the ids taken over; `changes` is emptied.
std::vector<int32_t> TakeOverParamChanges(ReferenceHost& host, std::vector<HeldParamChange>& changes,
                                          const std::function<void(int32_t id)>& beforeTakeOver = {});
// Drops held changes, disposing their data handles.
void DiscardParamChanges(ReferenceHost& host, std::vector<HeldParamChange>& changes);

// HoldParamChanges, then TakeOverParamChanges. Returns the ids taken over.
std::vector<int32_t> FinishCommandParams(ReferenceHost& host, CommandParams& params,
                                         const std::function<void(int32_t id)>& beforeTakeOver = {});

using CommandParamsCall = std::function<HostError(HostInData& in, HostParamDef* params[])>;

// What becomes of the values a call flags as changed: taken over, or
// dropped (the host's own look at what a command would do leaves the
// effect's values as they were).
enum class ChangedParams { kTakeOver, kDrop };

// Builds the parameter array a command at `time` gets, with `input` as the
// input layer (null for none), calls `call` with it and the command's input
// record, checkouts answering from it, then takes over or drops the changes.
HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const CommandParamsCall& call, ChangedParams changed = ChangedParams::kTakeOver);
// The same, the changes appended to `held` to be taken over later.
HostError RunHoldingParamChanges(ReferenceHost& host, const HostFrame* input, int32_t time,
                                 const CommandParamsCall& call, std::vector<HeldParamChange>& held);
