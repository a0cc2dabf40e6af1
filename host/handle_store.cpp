#include "host/handle_store.h"

HandleStore::~HandleStore() {
  for (HostHandle handle : live) delete handle;
}

HostHandle StoreNewHandle(HandleStore& store, uint64_t size) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (store.allocationsLeft == 0 || size > kMaxHandleSize) {
    ++store.stats.refused;
    return nullptr;
  }
  if (store.allocationsLeft > 0) --store.allocationsLeft;
  auto* block = new HostHandleBlock;
  block->bytes.assign(static_cast<size_t>(size), store.fillByte);
  store.live.insert(block);
  ++store.stats.allocated;
  return block;
}

void* StoreLockHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return nullptr;
  if (store.live.count(handle) == 0) {
    ++store.stats.misuses;
    return nullptr;
  }
  ++handle->lockCount;
  ++store.stats.locks;
  return handle->bytes.data();
}

void StoreUnlockHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return;
  if (store.live.count(handle) == 0 || handle->lockCount == 0) {
    ++store.stats.misuses;
    return;
  }
  --handle->lockCount;
  ++store.stats.unlocks;
}

void StoreDisposeHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return;
  if (store.live.erase(handle) == 0) {
    ++store.stats.misuses;
    return;
  }
  if (handle->lockCount != 0) ++store.stats.misuses;  // disposed while locked
  delete handle;
  ++store.stats.disposed;
}

void FailHandleAllocationsAfter(HandleStore& store, int64_t count) {
  std::lock_guard<std::mutex> lock(store.mutex);
  store.allocationsLeft = count;
}

void SetNewHandleFill(HandleStore& store, uint8_t fillByte) {
  std::lock_guard<std::mutex> lock(store.mutex);
  store.fillByte = fillByte;
}

HandleStats ReadHandleStats(const HandleStore& store) {
  std::lock_guard<std::mutex> lock(store.mutex);
  HandleStats stats = store.stats;
  stats.live = static_cast<int64_t>(store.live.size());
  return stats;
}
