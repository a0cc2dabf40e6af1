#include "render/analysis/chain_cache.h"

#include <algorithm>
#include <utility>

#include "skeleton/end_pairing.h"
#include "skeleton/index_at.h"

std::mutex ChainCacheMutex;
ChainCache ProcessChainCache;

void PublishChainCache(const std::vector<ChainRecord>& chains, int32_t width, int32_t height, int32_t strokeWidth,
                       std::array<uint8_t, 3> strokeColor) {
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
  ProcessChainCache.strokeColor = strokeColor;
  ProcessChainCache.valid = true;
}

ChainCache SnapshotChainCache() {
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  return ProcessChainCache;
}

float ChainEndGap(int32_t a, int32_t b) {
  constexpr float kNoGap = 1e30f;
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  const ChainCache& cache = ProcessChainCache;
  const auto count = static_cast<int64_t>(cache.chains.size());
  if (!cache.valid || a < 0 || b < 0 || a >= count || b >= count) return kNoGap;
  const std::vector<IntPoint>& first = At(cache.chains, a);
  const std::vector<IntPoint>& second = At(cache.chains, b);
  if (first.empty() || second.empty()) return kNoGap;
  const std::array<float, 4> gaps = SquaredEndDistances(first, second);
  return *std::min_element(gaps.begin(), gaps.end());
}
