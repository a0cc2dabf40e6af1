// The host's side of the arbitrary-data callback (`kCommandArbitraryCallback`): the host
// creates, copies, flattens, unflattens, compares, interpolates and disposes
// the data blocks of the effect's hidden parameters only through these, and
// never looks into a block itself.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "host_interface/host_arbitrary_data.h"
#include "host_interface/host_errors.h"
#include "host_interface/host_param_def.h"

struct ReferenceHost;

HostError SendArbCallback(ReferenceHost& host, HostArbCallbackRecord& record);

HostError ArbNew(ReferenceHost& host, int32_t paramId, HostHandle& handle);
HostError ArbDispose(ReferenceHost& host, int32_t paramId, HostHandle handle);
HostError ArbCopy(ReferenceHost& host, int32_t paramId, HostHandle source, HostHandle& copy);
HostError ArbFlatSize(ReferenceHost& host, int32_t paramId, HostHandle handle, uint32_t& size);
// Asks for the flat size, then flattens into a buffer of exactly that size.
HostError ArbFlatten(ReferenceHost& host, int32_t paramId, HostHandle handle, std::vector<uint8_t>& bytes);
HostError ArbUnflatten(ReferenceHost& host, int32_t paramId, const std::vector<uint8_t>& bytes, HostHandle& handle);
HostError ArbCompare(ReferenceHost& host, int32_t paramId, HostHandle a, HostHandle b, int32_t& result);
HostError ArbInterpolate(ReferenceHost& host, int32_t paramId, HostHandle left, HostHandle right, double t,
                         HostHandle& result);

// The current data of a hidden parameter, flattened.
HostError FlattenCurrentData(ReferenceHost& host, int32_t paramId, std::vector<uint8_t>& bytes);
// Unflattens `bytes` and makes the result the parameter's current data.
HostError ReplaceCurrentData(ReferenceHost& host, int32_t paramId, const std::vector<uint8_t>& bytes);
HostHandle CurrentDataHandle(ReferenceHost& host, int32_t paramId);

// Gives every data record of `records` (indexed by parameter id) a copy of
// its parameter's current block, or null where the effect could not make
// one; all under one lock of instance.arbMutex.
void CopyCurrentDataBlocks(ReferenceHost& host, std::vector<HostParamDef>& records);

// Parameter ids with data handles.
using DataBlocks = std::vector<std::pair<int32_t, HostHandle>>;
// Under one lock of instance.arbMutex: each of `adopted` becomes its
// parameter's current data (the host takes it over, and disposes the one it
// replaces), and each of `spent` is disposed (null ones are skipped).
void TakeBackDataBlocks(ReferenceHost& host, const DataBlocks& adopted, const DataBlocks& spent);

// Blocks the host made through the effect and has not handed on yet: any
// still held when the set goes out of scope is disposed through the effect,
// so a run that makes several blocks and fails halfway leaves none behind.
struct MadeDataBlocks {
  explicit MadeDataBlocks(ReferenceHost& host) : host(host) {}
  ~MadeDataBlocks();
  MadeDataBlocks(const MadeDataBlocks&) = delete;
  MadeDataBlocks& operator=(const MadeDataBlocks&) = delete;

  ReferenceHost& host;
  DataBlocks blocks;  // null where none was made
};
// ArbUnflatten into a block `made` holds.
HostError UnflattenInto(MadeDataBlocks& made, int32_t paramId, const std::vector<uint8_t>& bytes, HostHandle& handle);
// Makes every held block the current data of its parameter, all under one
// lock of instance.arbMutex; `made` holds none afterwards.
void AdoptMadeBlocks(MadeDataBlocks& made);
