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

// Takes over every value whose change flag is 1 (a blob record's handle
// becomes the current data; a keyed parameter gets a key at the command's
// time) and disposes the copies not taken over.
// `beforeTakeOver`, when given, is called with each id just before its value
// is taken over. Returns the ids taken over.
std::vector<int32_t> FinishCommandParams(ReferenceHost& host, CommandParams& params,
                                         const std::function<void(int32_t id)>& beforeTakeOver = {});
