#include "shell/arbitrary_data.h"

#include <cstring>

#include "model/chain_blobs.h"
#include "host_interface/host_scopes.h"
#include "model/param_ids.h"

namespace {

// Makes a new block of `size` bytes and has `fill` write it while it is
// locked. A block the host cannot lock is as good as no block.
template <typename Fill>
HostError NewBlock(const HostUtilityCallbacks& utils, uint32_t size, HostHandle* destination, const Fill& fill) {
  *destination = utils.newHandle(size);
  if (*destination == nullptr) return kHostErrorOutOfMemory;
  {
    const ScopedHandleLock block(utils, *destination);
    if (block.data != nullptr) {
      fill(block.data);
      return kHostErrorNone;
    }
  }
  utils.disposeHandle(*destination);
  *destination = nullptr;
  return kHostErrorOutOfMemory;
}

HostError FlattenBlock(const HostUtilityCallbacks& utils, uint32_t size, const HostArbFlattenArgs& args) {
  if (args.buffer == nullptr || args.bufferSize < size || args.handle == nullptr) return kArbRefused;
  const ScopedHandleLock block(utils, args.handle);
  if (block.data == nullptr) return kArbRefused;
  std::memcpy(args.buffer, block.data, size);
  return kHostErrorNone;
}

HostError UnflattenBlock(const HostUtilityCallbacks& utils, uint32_t size, const HostArbUnflattenArgs& args) {
  if (args.destination == nullptr) return kArbRefused;
  *args.destination = nullptr;
  if (args.flatData == nullptr || args.flatSize < size) return kArbRefused;
  // Taken unchanged: neither version nor count is checked here.
  return NewBlock(utils, size, args.destination, [&](void* data) { std::memcpy(data, args.flatData, size); });
}

HostError CompareBlocks(const HostUtilityCallbacks& utils, uint32_t size, const HostArbCompareArgs& args) {
  if (args.result == nullptr) return kArbRefused;
  const ScopedHandleLock a(utils, args.a);
  const ScopedHandleLock b(utils, args.b);
  bool equal = false;
  if (a.data != nullptr && b.data != nullptr) {
    equal = std::memcmp(a.data, b.data, size) == 0;
  } else {
    equal = a.data == nullptr && b.data == nullptr;
  }
  *args.result = equal ? kArbCompareEqual : kArbCompareNotEqual;
  return kHostErrorNone;
}

}  // namespace

uint32_t ArbBlockSize(int32_t paramId) {
  return paramId == PARAM_DRAW_ORDER ? uint32_t{sizeof(DrawOrderBlob)} : uint32_t{sizeof(ChainSelectionBlob)};
}

HostError ArbDataNew(const HostInData* in, int32_t paramId, HostHandle* destination) {
  if (destination == nullptr) return kArbRefused;
  const uint32_t size = ArbBlockSize(paramId);
  return NewBlock(*in->utils, size, destination, [size](void* data) {
    // Zeroing the whole block also zeroes the reserved bytes, so two fresh
    // blobs are equal whatever the host's new handle held.
    std::memset(data, 0, size);
    const uint32_t version = kChainBlobVersion;
    std::memcpy(data, &version, sizeof(version));
  });
}

HostError ArbDataCopy(const HostInData* in, int32_t paramId, HostHandle source, HostHandle* destination) {
  if (destination == nullptr) return kArbRefused;
  *destination = nullptr;
  const HostUtilityCallbacks& utils = *in->utils;
  const uint32_t size = ArbBlockSize(paramId);
  const ScopedHandleLock from(utils, source);
  if (from.data == nullptr) return kArbRefused;
  return NewBlock(utils, size, destination, [&](void* to) { std::memcpy(to, from.data, size); });
}

HostError HandleArbitraryData(HostInData* in, HostOutData*, HostParamDef*[], HostFrame*,
                              HostArbCallbackRecord* record) {
  if (record == nullptr || in == nullptr || in->utils == nullptr) return kHostErrorNone;
  const HostUtilityCallbacks& utils = *in->utils;
  const int32_t paramId = record->paramId;
  const uint32_t size = ArbBlockSize(paramId);
  HostArbArgs& args = record->u;
  switch (record->selector) {
    case kArbNew:
      return ArbDataNew(in, paramId, args.newData.newHandle);
    case kArbDispose:
      if (args.dispose.handle != nullptr) utils.disposeHandle(args.dispose.handle);
      return kHostErrorNone;
    case kArbCopy:
      return ArbDataCopy(in, paramId, args.copy.source, args.copy.destination);
    case kArbFlatSize:
      if (args.flatSize.flatSize == nullptr) return kArbRefused;
      *args.flatSize.flatSize = size;
      return kHostErrorNone;
    case kArbFlatten:
      return FlattenBlock(utils, size, args.flatten);
    case kArbUnflatten:
      return UnflattenBlock(utils, size, args.unflatten);
    case kArbInterpolate: {
      // Nothing is blended: the left block holds until t reaches 0.5.
      const HostHandle source = args.interpolate.t < 0.5 ? args.interpolate.left : args.interpolate.right;
      return ArbDataCopy(in, paramId, source, args.interpolate.destination);
    }
    case kArbCompare:
      return CompareBlocks(utils, size, args.compare);
    default:
      return kHostErrorNone;
  }
}
