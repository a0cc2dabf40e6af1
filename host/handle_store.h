// The host's memory blocks handed to the effect as HostHandle. Thread-safe:
// renders on several threads allocate and lock blocks at once. A handle is
// the address of its HandleBlock; only handle_store.cpp casts between them.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "host_interface/host_param_def.h"

struct HandleBlock {
  std::vector<uint8_t> bytes;
  int32_t lockCount = 0;
};

struct HandleStats {
  int64_t allocated = 0;
  int64_t refused = 0;  // new-handle calls answered with null
  int64_t disposed = 0;
  int64_t locks = 0;
  int64_t unlocks = 0;
  // Lock, unlock or dispose of a handle that is not live, or an unlock
  // without a lock. A correct effect never causes one.
  int64_t misuses = 0;
  int64_t live = 0;
};

struct HandleStore {
  HandleStore() = default;
  HandleStore(const HandleStore&) = delete;
  HandleStore& operator=(const HandleStore&) = delete;
  ~HandleStore();

  mutable std::mutex mutex;  // guards every field
  std::unordered_set<HostHandle> live;
  int64_t allocationsLeft = -1;  // -1: unlimited; otherwise new handles that still succeed
  uint8_t fillByte = 0;          // content of a new block
  HandleStats stats;
};

constexpr uint64_t kMaxHandleSize = uint64_t{1} << 30;

HostHandle StoreNewHandle(HandleStore& store, uint64_t size);
void* StoreLockHandle(HandleStore& store, HostHandle handle);
void StoreUnlockHandle(HandleStore& store, HostHandle handle);
void StoreDisposeHandle(HandleStore& store, HostHandle handle);

// After `count` more successful allocations every new handle fails; -1
// lifts the limit. Lets tests reach the effect's out-of-memory paths.
void FailHandleAllocationsAfter(HandleStore& store, int64_t count);
void SetNewHandleFill(HandleStore& store, uint8_t fillByte);
HandleStats ReadHandleStats(const HandleStore& store);
// A copy of a live block's bytes, for the host's own look at a block
// (locks nothing); empty for a handle that is not live.
std::vector<uint8_t> ReadHandleBytes(const HandleStore& store, HostHandle handle);
