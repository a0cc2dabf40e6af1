#include "host/command_params.h"

#include <limits>

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

// Takes the changes over, holds them (`held` given) or drops them.
void FinishChanges(ReferenceHost& host, CommandParams& params, ChangedParams changed,
                   std::vector<HeldParamChange>* held) {
  if (changed == ChangedParams::kDrop) {
    for (HostParamDef& record : params.records) record.changeFlags = 0;
  }
  if (held == nullptr) {
    FinishCommandParams(host, params);
    return;
  }
  std::vector<HeldParamChange> changes = HoldParamChanges(host, params);
  held->insert(held->end(), changes.begin(), changes.end());
}

HostError CallWithParams(ReferenceHost& host, const HostFrame* input, int32_t time, const CommandParamsCall& call,
                         CommandParams& params) {
  HostInData in = MakeInData(host, time);
  CommandContext context;
  context.params = params.pointers.data();
  context.paramCount = static_cast<int32_t>(params.pointers.size());
  context.input = input;
  const ScopedCommandContext scope(context);
  return call(in, params.pointers.data());
}

// The data copies are disposed of and the changes finished also when `call` throws.
HostError RunCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time, const CommandParamsCall& call,
                           ChangedParams changed, std::vector<HeldParamChange>* held) {
  CommandParams params = BuildCommandParams(host, input, time);
  HostError error = kHostErrorNone;
  try {
    error = CallWithParams(host, input, time, call, params);
  } catch (...) {
    FinishChanges(host, params, changed, held);
    throw;
  }
  FinishChanges(host, params, changed, held);
  return error;
}

}  // namespace

CommandParams BuildCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time) {
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
  params.dataCopies.assign(params.records.size(), nullptr);
  for (size_t id = 0; id < params.records.size(); ++id) {
    HostParamDef& record = params.records[id];
    record.changeFlags = 0;
    if (record.paramType == kParamTypeLayer) record.u.layer = HostFrame{};
    if (record.paramType == kParamTypePoint && downsampled) {
      record.u.point.xValue = ScaleFixed(record.u.point.xValue, host.downsampleX);
      record.u.point.yValue = ScaleFixed(record.u.point.yValue, host.downsampleY);
    }
    if (record.paramType != kParamTypeArbitraryData) continue;
    std::lock_guard<std::mutex> lock(host.instance.arbMutex);
    const auto paramId = static_cast<int32_t>(id);
    HostHandle copy = nullptr;
    // A failed copy leaves the command without data, as a host short of
    // memory would.
    ArbCopy(host, paramId, CurrentDataHandle(host, paramId), copy);
    params.dataCopies[id] = copy;
    record.u.arbitrary.valueHandle = copy;
  }
  if (input != nullptr && !params.records.empty()) params.records[0].u.layer = *input;
  for (HostParamDef& record : params.records) params.pointers.push_back(&record);
  return params;
}

std::vector<HeldParamChange> HoldParamChanges(ReferenceHost& host, CommandParams& params) {
  std::vector<HeldParamChange> held;
  for (size_t id = 1; id < params.records.size(); ++id) {
    const HostParamDef& record = params.records[id];
    const auto paramId = static_cast<int32_t>(id);
    const bool changed = (record.changeFlags & kParamChangeFlagChangedValue) != 0;
    if (record.paramType == kParamTypeArbitraryData) {
      HostHandle copy = params.dataCopies[id];
      params.dataCopies[id] = nullptr;
      if (changed) {
        held.push_back(HeldParamChange{paramId, record, params.time});
        if (copy == record.u.arbitrary.valueHandle) copy = nullptr;
      }
      if (copy != nullptr) ArbDispose(host, paramId, copy);
      continue;
    }
    if (changed && record.paramType != kParamTypeLayer) held.push_back(HeldParamChange{paramId, record, params.time});
  }
  return held;
}

std::vector<int32_t> TakeOverParamChanges(ReferenceHost& host, std::vector<HeldParamChange>& changes,
                                          const std::function<void(int32_t id)>& beforeTakeOver) {
  std::vector<int32_t> ids;
  for (const HeldParamChange& change : changes) {
    if (beforeTakeOver) beforeTakeOver(change.id);
    if (change.record.paramType == kParamTypeArbitraryData) {
      std::lock_guard<std::mutex> lock(host.instance.arbMutex);
      AdoptCurrentDataLocked(host, change.id, change.record.u.arbitrary.valueHandle);
    } else {
      StoreParamValueAtTime(host.instance, change.id, change.record.u, change.time);
    }
    ids.push_back(change.id);
  }
  changes.clear();
  return ids;
}

void DiscardParamChanges(ReferenceHost& host, std::vector<HeldParamChange>& changes) {
  for (const HeldParamChange& change : changes) {
    const HostHandle handle = change.record.u.arbitrary.valueHandle;
    if (change.record.paramType == kParamTypeArbitraryData && handle != nullptr) ArbDispose(host, change.id, handle);
  }
  changes.clear();
}

std::vector<int32_t> FinishCommandParams(ReferenceHost& host, CommandParams& params,
                                         const std::function<void(int32_t id)>& beforeTakeOver) {
  std::vector<HeldParamChange> held = HoldParamChanges(host, params);
  return TakeOverParamChanges(host, held, beforeTakeOver);
}

HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const CommandParamsCall& call, ChangedParams changed) {
  return RunCommandParams(host, input, time, call, changed, nullptr);
}

HostError RunHoldingParamChanges(ReferenceHost& host, const HostFrame* input, int32_t time,
                                 const CommandParamsCall& call, std::vector<HeldParamChange>& held) {
  return RunCommandParams(host, input, time, call, ChangedParams::kTakeOver, &held);
}
