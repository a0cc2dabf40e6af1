#include "shell/arbitrary_data.h"

#include <cstring>

#include "model/chain_blobs.h"
#include "model/param_ids.h"

namespace {

HostError AllocateBlock(const HostUtilityCallbacks& utils, uint32_t size, HostHandle* destination,
                        void** data) {
  *destination = utils.newHandle(size);
  if (*destination == nullptr) return kHostErrorOutOfMemory;
  *data = utils.lockHandle(*destination);
  if (*data == nullptr) {
    // A block the host cannot lock is as good as no block.
    utils.disposeHandle(*destination);
    *destination = nullptr;
    return kHostErrorOutOfMemory;
  }
  return kHostErrorNone;
}

HostError FlattenBlock(const HostUtilityCallbacks& utils, uint32_t size, const HostArbFlattenArgs& args) {
  if (args.buffer == nullptr || args.bufferSize < size || args.handle == nullptr) return kArbRefused;
  const void* data = utils.lockHandle(args.handle);
  if (data == nullptr) return kArbRefused;
  std::memcpy(args.buffer, data, size);
  utils.unlockHandle(args.handle);
  return kHostErrorNone;
}

HostError UnflattenBlock(const HostUtilityCallbacks& utils, uint32_t size, const HostArbUnflattenArgs& args) {
  if (args.destination == nullptr) return kArbRefused;
  *args.destination = nullptr;
  if (args.flatData == nullptr || args.flatSize < size) return kArbRefused;
  void* data = nullptr;
  const HostError error = AllocateBlock(utils, size, args.destination, &data);
  if (error != kHostErrorNone) return error;
  // Taken unchanged: neither version nor count is checked here.
  std::memcpy(data, args.flatData, size);
  utils.unlockHandle(*args.destination);
  return kHostErrorNone;
}

HostError CompareBlocks(const HostUtilityCallbacks& utils, uint32_t size, const HostArbCompareArgs& args) {
  if (args.result == nullptr) return kArbRefused;
  const void* a = args.a != nullptr ? utils.lockHandle(args.a) : nullptr;
  const void* b = args.b != nullptr ? utils.lockHandle(args.b) : nullptr;
  bool equal = false;
  if (a != nullptr && b != nullptr) {
    equal = std::memcmp(a, b, size) == 0;
  } else {
    equal = a == nullptr && b == nullptr;
  }
  *args.result = equal ? kArbCompareEqual : kArbCompareNotEqual;
  if (a != nullptr) utils.unlockHandle(args.a);
  if (b != nullptr) utils.unlockHandle(args.b);
  return kHostErrorNone;
}

}  // namespace

uint32_t ArbBlockSize(int32_t paramId) {
  return paramId == PARAM_DRAW_ORDER ? uint32_t{sizeof(DrawOrderBlob)} : uint32_t{sizeof(ChainSelectionBlob)};
}

HostError ArbDataNew(const HostInData* in, int32_t paramId, HostHandle* destination) {
  if (destination == nullptr) return kArbRefused;
  const uint32_t size = ArbBlockSize(paramId);
  void* data = nullptr;
  const HostError error = AllocateBlock(*in->utils, size, destination, &data);
  if (error != kHostErrorNone) return error;
  // Zeroing the whole block also zeroes the reserved bytes, so two fresh
  // blobs are equal whatever the host's new handle held.
  std::memset(data, 0, size);
  const uint32_t version = kChainBlobVersion;
  std::memcpy(data, &version, sizeof(version));
  in->utils->unlockHandle(*destination);
  return kHostErrorNone;
}

HostError ArbDataCopy(const HostInData* in, int32_t paramId, HostHandle source, HostHandle* destination) {
  if (destination == nullptr) return kArbRefused;
  *destination = nullptr;
  const HostUtilityCallbacks& utils = *in->utils;
  const uint32_t size = ArbBlockSize(paramId);
  const void* from = source != nullptr ? utils.lockHandle(source) : nullptr;
  if (from == nullptr) return kArbRefused;
  void* to = nullptr;
  const HostError error = AllocateBlock(utils, size, destination, &to);
  if (error == kHostErrorNone) {
    std::memcpy(to, from, size);
    utils.unlockHandle(*destination);
  }
  utils.unlockHandle(source);
  return error;
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
