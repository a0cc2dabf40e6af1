#include "skeleton/chain_owner_map.h"

#include <utility>

namespace {

size_t SlotOf(int64_t key, size_t slotMask) {
  // Runs of eight neighbouring keys (pixels side by side in a row) share a
  // stretch of eight slots, so a search around a pixel reads few cache lines;
  // Fibonacci hashing spreads the runs.
  const auto run = static_cast<uint64_t>(key) >> 3;
  const auto spread = static_cast<size_t>((run * 0x9E3779B97F4A7C15ull) >> 17);
  return ((spread << 3) | (static_cast<size_t>(key) & 7u)) & slotMask;
}

void Insert(ChainOwnerMap& map, int64_t key, int32_t chain) {
  const size_t slotMask = map.keys.size() - 1;
  for (size_t slot = SlotOf(key, slotMask);; slot = (slot + 1) & slotMask) {
    if (map.keys[slot] == key) {
      map.owners[slot] = chain;
      return;
    }
    if (map.keys[slot] == ChainOwnerMap::kNoKey) {
      map.keys[slot] = key;
      map.owners[slot] = chain;
      ++map.used;
      return;
    }
  }
}

// Keeps the table at most half full, so probes stay short.
void Grow(ChainOwnerMap& map) {
  ChainOwnerMap bigger;
  const size_t slots = map.keys.empty() ? 1024 : map.keys.size() * 2;
  bigger.keys.assign(slots, ChainOwnerMap::kNoKey);
  bigger.owners.assign(slots, -1);
  for (size_t slot = 0; slot < map.keys.size(); ++slot) {
    if (map.keys[slot] != ChainOwnerMap::kNoKey) Insert(bigger, map.keys[slot], map.owners[slot]);
  }
  map = std::move(bigger);
}

}  // namespace

void SetChainOwner(ChainOwnerMap& map, int64_t key, int32_t chain) {
  if (2 * (map.used + 1) > map.keys.size()) Grow(map);
  Insert(map, key, chain);
}

int32_t FindChainOwner(const ChainOwnerMap& map, int64_t key) {
  if (map.keys.empty()) return -1;
  const size_t slotMask = map.keys.size() - 1;
  for (size_t slot = SlotOf(key, slotMask);; slot = (slot + 1) & slotMask) {
    if (map.keys[slot] == key) return map.owners[slot];
    if (map.keys[slot] == ChainOwnerMap::kNoKey) return -1;
  }
}
