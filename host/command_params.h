// The parameter array of one command: the current values with points in
// layer pixels and a private copy of every data blob, so commands on
// several threads never share a record or a block.
#pragma once

#include <cstdint>
#include <vector>

#include "host/reference_host.h"

struct CommandParams {
  std::vector<HostParamDef> records;  // by id; record 0 holds the input layer
  std::vector<HostParamDef*> pointers;
  std::vector<HostHandle> dataCopies;  // by id: the copy this command was given
};

CommandParams BuildCommandParams(ReferenceHost& host, const HostFrame* input);

// Takes over every value whose change flag is 1 (a blob record's handle
// becomes the current data) and disposes the copies not taken over.
// Returns the ids taken over.
std::vector<int32_t> FinishCommandParams(ReferenceHost& host, CommandParams& params);
