#include "skeleton/chain_cache.h"

std::mutex ChainCacheMutex;
ChainCache ProcessChainCache;

void PublishChainCache(const std::vector<ChainRecord>& chains, int32_t width, int32_t height, int32_t strokeWidth,
                       uint8_t red, uint8_t green, uint8_t blue) {
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  ProcessChainCache.chains.clear();
  ProcessChainCache.chains.reserve(chains.size());
  for (const ChainRecord& chain : chains) ProcessChainCache.chains.push_back(chain.points);
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
