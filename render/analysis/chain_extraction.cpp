#include "render/analysis/chain_extraction.h"

#include <cstdlib>
#include <limits>

#include "render/analysis/chain_ordering.h"
#include "skeleton/extract_chains_graph.h"
#include "skeleton/extract_chains_simple.h"

std::vector<FloatPoint> FindChainSeeds(const ByteMask& skeleton, const std::vector<ChainRecord>& chains) {
  std::vector<FloatPoint> seeds;
  seeds.reserve(chains.size());
  for (const ChainRecord& chain : chains) {
    if (chain.points.empty()) continue;
    const IntPoint first = chain.points.front();
    IntPoint seed = first;
    for (int32_t r = 0; r <= kSeedRingRadius; ++r) {
      int32_t bestDistance = std::numeric_limits<int32_t>::max();
      for (int32_t dy = -r; dy <= r; ++dy) {
        for (int32_t dx = -r; dx <= r; ++dx) {
          if (std::abs(dx) != r && std::abs(dy) != r) continue;
          const int32_t x = first.x + dx;
          const int32_t y = first.y + dy;
          if (MaskGet(skeleton, x, y) == 0 || CountNeighbours(skeleton, x, y) != 1) continue;
          const int32_t distance = dx * dx + dy * dy;
          if (distance < bestDistance) {
            bestDistance = distance;
            seed = IntPoint{x, y};
          }
        }
      }
      if (bestDistance != std::numeric_limits<int32_t>::max()) break;
    }
    seeds.push_back(ToFloatPoint(seed));
  }
  return seeds;
}

std::vector<ChainRecord> ExtractRenderChains(const ByteMask& skeleton, const RenderSettings& s) {
  const uint8_t smart = s.smartJunctionTracing ? 1 : 0;
  std::vector<ChainRecord> simple =
      ExtractChainsSimple(skeleton, s.gapClose, s.minChainLength, smart, s.junctionBias);
  if (!s.mergeByShape) return simple;

  std::vector<FloatPoint> seeds;
  if (!s.directionalStart) {
    PointOpenChainsAtStart(simple, s.startX, s.startY);
    SortChainsByStartDistance(simple, s.startX, s.startY);
    seeds = FindChainSeeds(skeleton, simple);
  }
  return ExtractChainsGraph(skeleton, s.minChainLength, s.startX, s.startY, smart, s.junctionBias,
                            s.directionalStart ? 1 : 0, seeds, simple);
}
