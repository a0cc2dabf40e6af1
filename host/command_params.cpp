#include "host/command_params.h"

#include <limits>
#include <utility>

#include "host/arb_data_calls.h"
#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host/reference_host_state.h"

namespace {

int32_t ScaleFixed(int32_t value, HostRatio ratio) {
  if (ratio.num <= 0 || ratio.den == 0) return value;
  const int64_t scaled = static_cast<int64_t>(value) * ratio.num;
  const auto den = static_cast<int64_t>(ratio.den);
  const int64_t rounded = (2 * scaled + (scaled >= 0 ? den : -den)) / (2 * den);
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded < kMin ? kMin : rounded > kMax ? kMax : rounded);
}

void AddBlockOf(const HeldParamChange& change, DataBlocks& blocks) {
  if (change.record.paramType == kParamTypeArbitraryData) {
    blocks.emplace_back(change.id, change.record.u.arbitrary.valueHandle);
  }
}

// The values the command flagged as changed (layers aside); the data copies
// it gave back unchanged go to `spent`.
std::vector<HeldParamChange> CollectChanges(CommandParams& params, DataBlocks& spent) {
  std::vector<HeldParamChange> changes;
  for (size_t id = 1; id < params.records.size(); ++id) {
    const HostParamDef& record = params.records[id];
    const auto paramId = static_cast<int32_t>(id);
    const bool changed =
        (record.changeFlags & kParamChangeFlagChangedValue) != 0 && record.paramType != kParamTypeLayer;
    if (changed) changes.push_back(HeldParamChange{paramId, record, params.time});
    if (record.paramType != kParamTypeArbitraryData) continue;
    const HostHandle copy = std::exchange(params.dataCopies[id], nullptr);
    if (!changed || copy != record.u.arbitrary.valueHandle) spent.emplace_back(paramId, copy);
  }
  return changes;
}

// Keeps each change that is later than the one held for its parameter; the
// blocks of what is not kept go to `spent`.
void HoldLatest(HeldParamChanges& held, std::vector<HeldParamChange>& changes, DataBlocks& spent) {
  std::lock_guard<std::mutex> lock(held.mutex);
  for (HeldParamChange& change : changes) {
    const auto [at, added] = held.latest.try_emplace(change.id, change);
    if (added) continue;
    if (at->second.time < change.time) std::swap(at->second, change);
    AddBlockOf(change, spent);
  }
}

// Stores the values; the blocks go to `adopted`, to become the current data.
std::vector<int32_t> TakeOver(ReferenceHost& host, const std::vector<HeldParamChange>& changes,
                              const std::function<void(int32_t id)>& beforeTakeOver, DataBlocks& adopted) {
  std::vector<int32_t> ids;
  for (const HeldParamChange& change : changes) {
    if (beforeTakeOver) beforeTakeOver(change.id);
    ids.push_back(change.id);
  }
  for (const HeldParamChange& change : changes) {
    if (change.record.paramType == kParamTypeArbitraryData) {
      AddBlockOf(change, adopted);
    } else {
      StoreParamValueAtTime(host.instance, change.id, change.record.u, change.time);
    }
  }
  return ids;
}

std::vector<HeldParamChange> TakeHeldChanges(HeldParamChanges& held) {
  std::vector<HeldParamChange> changes;
  std::lock_guard<std::mutex> lock(held.mutex);
  for (const auto& [id, change] : held.latest) changes.push_back(change);
  held.latest.clear();
  return changes;
}

}  // namespace

CommandParams PrepareCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time) {
  CommandParams params;
  params.time = time;
  // Point defaults follow this command's own layer, whatever other renders
  // see; a reduced frame is not the layer's size.
  const bool downsampled = IsDownsampled(host);
  int32_t layerWidth = 0;
  int32_t layerHeight = 0;
  if (input != nullptr && !downsampled) {
    layerWidth = input->width;
    layerHeight = input->height;
  } else {
    std::lock_guard<std::mutex> lock(host.instance.mutex);
    layerWidth = host.instance.layerWidth;
    layerHeight = host.instance.layerHeight;
  }
  params.records = SnapshotParamValues(host.instance, layerWidth, layerHeight, time);
  for (size_t id = 0; id < params.records.size(); ++id) {
    HostParamDef& record = params.records[id];
    record.changeFlags = 0;
    if (record.paramType == kParamTypeLayer) record.u.layer = HostFrame{};
    if (record.paramType == kParamTypePoint && downsampled) {
      record.u.point.xValue = ScaleFixed(record.u.point.xValue, host.downsampleX);
      record.u.point.yValue = ScaleFixed(record.u.point.yValue, host.downsampleY);
    }
  }
  // A failed copy leaves the command without data, as a host short of
  // memory would.
  CopyCurrentDataBlocks(host, params.records);
  if (input != nullptr && !params.records.empty()) params.records[0].u.layer = *input;
  for (HostParamDef& record : params.records) {
    params.pointers.push_back(&record);
    const bool data = record.paramType == kParamTypeArbitraryData;
    params.dataCopies.push_back(data ? record.u.arbitrary.valueHandle : nullptr);
  }
  return params;
}

std::vector<int32_t> TakeBackCommandParams(ReferenceHost& host, CommandParams& params, const ParamsReturn& how) {
  DataBlocks adopted;
  DataBlocks spent;
  std::vector<HeldParamChange> changes = CollectChanges(params, spent);
  std::vector<int32_t> ids;
  if (how.changed == ChangedParams::kTakeOver) {
    ids = TakeOver(host, changes, how.beforeTakeOver, adopted);
  } else if (how.changed == ChangedParams::kHold && how.held != nullptr) {
    HoldLatest(*how.held, changes, spent);
  } else {
    for (const HeldParamChange& change : changes) AddBlockOf(change, spent);
  }
  TakeBackDataBlocks(host, adopted, spent);
  return ids;
}

void TakeOverHeldChanges(ReferenceHost& host, HeldParamChanges& held) {
  DataBlocks adopted;
  TakeOver(host, TakeHeldChanges(held), {}, adopted);
  TakeBackDataBlocks(host, adopted, {});
}

void DropHeldChanges(ReferenceHost& host, HeldParamChanges& held) {
  DataBlocks spent;
  for (const HeldParamChange& change : TakeHeldChanges(held)) AddBlockOf(change, spent);
  TakeBackDataBlocks(host, {}, spent);
}

HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const CommandParamsCall& call, const ParamsReturn& how) {
  CommandParams params = PrepareCommandParams(host, input, time);
  HostError error = kHostErrorNone;
  try {
    HostInData in = MakeInData(host, time);
    CommandContext context;
    context.params = params.pointers.data();
    context.paramCount = static_cast<int32_t>(params.pointers.size());
    context.input = input;
    const ScopedCommandContext scope(context);
    error = call(in, params.pointers.data());
  } catch (...) {
    TakeBackCommandParams(host, params, how);
    throw;
  }
  TakeBackCommandParams(host, params, how);
  return error;
}
