#include "host/arb_data_calls.h"

#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host/reference_host_state.h"
#include "host_interface/host_commands.h"

namespace {

HostArbCallbackRecord MakeRecord(ArbSelector selector, int32_t paramId) {
  HostArbCallbackRecord record{};
  record.selector = selector;
  record.paramId = static_cast<int16_t>(paramId);
  return record;
}

// Makes `handle` the current data and disposes the previous one. Caller
// holds instance.arbMutex.
void AdoptCurrentDataLocked(ReferenceHost& host, int32_t paramId, HostHandle handle) {
  HostHandle previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(host.instance.mutex);
    HostArbitraryValue& value = host.instance.values.at(static_cast<size_t>(paramId)).u.arbitrary;
    previous = value.valueHandle;
    value.valueHandle = handle;
  }
  if (previous != nullptr && previous != handle) ArbDispose(host, paramId, previous);
}

}  // namespace

HostError SendArbCallback(ReferenceHost& host, HostArbCallbackRecord& record) {
  HostInData in = MakeInData(host, 0);
  return CallEntryPoint(host, in, {.command = kCommandArbitraryCallback, .extra = &record});
}

HostError ArbNew(ReferenceHost& host, int32_t paramId, HostHandle& handle) {
  handle = nullptr;
  HostArbCallbackRecord record = MakeRecord(kArbNew, paramId);
  record.u.newData.newHandle = &handle;
  return SendArbCallback(host, record);
}

HostError ArbDispose(ReferenceHost& host, int32_t paramId, HostHandle handle) {
  HostArbCallbackRecord record = MakeRecord(kArbDispose, paramId);
  record.u.dispose.handle = handle;
  return SendArbCallback(host, record);
}

HostError ArbCopy(ReferenceHost& host, int32_t paramId, HostHandle source, HostHandle& copy) {
  copy = nullptr;
  HostArbCallbackRecord record = MakeRecord(kArbCopy, paramId);
  record.u.copy.source = source;
  record.u.copy.destination = &copy;
  return SendArbCallback(host, record);
}

HostError ArbFlatSize(ReferenceHost& host, int32_t paramId, HostHandle handle, uint32_t& size) {
  size = 0;
  HostArbCallbackRecord record = MakeRecord(kArbFlatSize, paramId);
  record.u.flatSize.handle = handle;
  record.u.flatSize.flatSize = &size;
  return SendArbCallback(host, record);
}

HostError ArbFlatten(ReferenceHost& host, int32_t paramId, HostHandle handle, std::vector<uint8_t>& bytes) {
  bytes.clear();
  uint32_t size = 0;
  HostError error = ArbFlatSize(host, paramId, handle, size);
  if (error != kHostErrorNone) return error;
  std::vector<uint8_t> buffer(size);
  HostArbCallbackRecord record = MakeRecord(kArbFlatten, paramId);
  record.u.flatten.handle = handle;
  record.u.flatten.bufferSize = size;
  record.u.flatten.buffer = buffer.data();
  error = SendArbCallback(host, record);
  if (error == kHostErrorNone) bytes = std::move(buffer);
  return error;
}

HostError ArbUnflatten(ReferenceHost& host, int32_t paramId, const std::vector<uint8_t>& bytes,
                       HostHandle& handle) {
  handle = nullptr;
  HostArbCallbackRecord record = MakeRecord(kArbUnflatten, paramId);
  record.u.unflatten.flatSize = static_cast<uint32_t>(bytes.size());
  record.u.unflatten.flatData = bytes.data();
  record.u.unflatten.destination = &handle;
  return SendArbCallback(host, record);
}

HostError ArbCompare(ReferenceHost& host, int32_t paramId, HostHandle a, HostHandle b, int32_t& result) {
  result = -1;
  HostArbCallbackRecord record = MakeRecord(kArbCompare, paramId);
  record.u.compare.a = a;
  record.u.compare.b = b;
  record.u.compare.result = &result;
  return SendArbCallback(host, record);
}

HostError ArbInterpolate(ReferenceHost& host, int32_t paramId, HostHandle left, HostHandle right, double t,
                         HostHandle& result) {
  result = nullptr;
  HostArbCallbackRecord record = MakeRecord(kArbInterpolate, paramId);
  record.u.interpolate.left = left;
  record.u.interpolate.right = right;
  record.u.interpolate.t = t;
  record.u.interpolate.destination = &result;
  return SendArbCallback(host, record);
}

HostHandle CurrentDataHandle(ReferenceHost& host, int32_t paramId) {
  std::lock_guard<std::mutex> lock(host.instance.mutex);
  return host.instance.values.at(static_cast<size_t>(paramId)).u.arbitrary.valueHandle;
}

void CopyCurrentDataBlocks(ReferenceHost& host, std::vector<HostParamDef>& records) {
  std::lock_guard<std::mutex> lock(host.instance.arbMutex);
  for (size_t id = 0; id < records.size(); ++id) {
    if (records[id].paramType != kParamTypeArbitraryData) continue;
    const auto paramId = static_cast<int32_t>(id);
    ArbCopy(host, paramId, CurrentDataHandle(host, paramId), records[id].u.arbitrary.valueHandle);
  }
}

void TakeBackDataBlocks(ReferenceHost& host, const DataBlocks& adopted, const DataBlocks& spent) {
  if (adopted.empty() && spent.empty()) return;
  std::lock_guard<std::mutex> lock(host.instance.arbMutex);
  for (const auto& [id, handle] : adopted) AdoptCurrentDataLocked(host, id, handle);
  for (const auto& [id, handle] : spent) {
    if (handle != nullptr) ArbDispose(host, id, handle);
  }
}

HostError FlattenCurrentData(ReferenceHost& host, int32_t paramId, std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> lock(host.instance.arbMutex);
  return ArbFlatten(host, paramId, CurrentDataHandle(host, paramId), bytes);
}

HostError ReplaceCurrentData(ReferenceHost& host, int32_t paramId, const std::vector<uint8_t>& bytes) {
  MadeDataBlocks made(host);
  HostHandle handle = nullptr;
  const HostError error = UnflattenInto(made, paramId, bytes, handle);
  if (error != kHostErrorNone) return error;
  AdoptMadeBlocks(made);
  return kHostErrorNone;
}

MadeDataBlocks::~MadeDataBlocks() { TakeBackDataBlocks(host, {}, blocks); }

HostError UnflattenInto(MadeDataBlocks& made, int32_t paramId, const std::vector<uint8_t>& bytes,
                        HostHandle& handle) {
  const HostError error = ArbUnflatten(made.host, paramId, bytes, handle);
  made.blocks.emplace_back(paramId, handle);
  return error;
}

void AdoptMadeBlocks(MadeDataBlocks& made) {
  TakeBackDataBlocks(made.host, made.blocks, {});
  made.blocks.clear();
}
