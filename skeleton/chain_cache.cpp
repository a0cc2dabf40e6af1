#include "skeleton/chain_cache.h"

#include <utility>

std::mutex ChainCacheMutex;
ChainCache ProcessChainCache;

void PublishChainCache(const std::vector<ChainRecord>& chains, int32_t width, int32_t height, int32_t strokeWidth,
                       uint8_t red, uint8_t green, uint8_t blue) {
  // Copied before locking: a failed allocation leaves the previous frame
  // whole, and readers wait only for the swap.
  std::vector<std::vector<IntPoint>> points;
  points.reserve(chains.size());
  for (const ChainRecord& chain : chains) points.push_back(chain.points);

  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  ProcessChainCache.chains.swap(points);
  ProcessChainCache.width = width;
  ProcessChainCache.height = height;
  ProcessChainCache.strokeWidth = strokeWidth;
  ProcessChainCache.strokeColor = {red, green, blue};
  ProcessChainCache.valid = 1;
}

ChainCache SnapshotChainCache() {
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  return ProcessChainCache;
}
