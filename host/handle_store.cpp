#include "host/handle_store.h"

namespace {

HostHandle HandleOf(HandleBlock* block) { return reinterpret_cast<HostHandle>(block); }
HandleBlock* BlockOf(HostHandle handle) { return reinterpret_cast<HandleBlock*>(handle); }

}  // namespace

HandleStore::~HandleStore() {
  for (HostHandle handle : live) delete BlockOf(handle);
}

HostHandle StoreNewHandle(HandleStore& store, uint64_t size) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (store.allocationsLeft == 0 || size > kMaxHandleSize) {
    ++store.stats.refused;
    return nullptr;
  }
  if (store.allocationsLeft > 0) --store.allocationsLeft;
  auto* block = new HandleBlock;
  block->bytes.assign(static_cast<size_t>(size), store.fillByte);
  store.live.insert(HandleOf(block));
  ++store.stats.allocated;
  return HandleOf(block);
}

void* StoreLockHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return nullptr;
  if (store.live.count(handle) == 0) {
    ++store.stats.misuses;
    return nullptr;
  }
  HandleBlock* block = BlockOf(handle);
  ++block->lockCount;
  ++store.stats.locks;
  return block->bytes.data();
}

void StoreUnlockHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return;
  if (store.live.count(handle) == 0 || BlockOf(handle)->lockCount == 0) {
    ++store.stats.misuses;
    return;
  }
  --BlockOf(handle)->lockCount;
  ++store.stats.unlocks;
}

void StoreDisposeHandle(HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (handle == nullptr) return;
  if (store.live.erase(handle) == 0) {
    ++store.stats.misuses;
    return;
  }
  HandleBlock* block = BlockOf(handle);
  if (block->lockCount != 0) ++store.stats.misuses;  // disposed while locked
  delete block;
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

std::vector<uint8_t> ReadHandleBytes(const HandleStore& store, HostHandle handle) {
  std::lock_guard<std::mutex> lock(store.mutex);
  if (store.live.count(handle) == 0) return {};
  return BlockOf(handle)->bytes;
}
