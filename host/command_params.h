// The parameter array of one command: the values at the command's time with
// points in layer pixels and a private copy of every data blob, so commands
// on several threads never share a record or a block. When the host renders
// at a reduced size, points are scaled by the downsample ratios (rounded to
// the nearest 1/65536, halves away from zero) from the full-size layer.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "host/reference_host.h"

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
