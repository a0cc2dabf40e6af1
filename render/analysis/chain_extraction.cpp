#include "render/analysis/chain_extraction.h"

#include "render/analysis/chain_ordering.h"
#include "skeleton/extract_chains_graph.h"
#include "skeleton/extract_chains_simple.h"
#include "skeleton/ring_search.h"

std::vector<FloatPoint> FindChainSeeds(const ByteMask& skeleton, const std::vector<ChainRecord>& chains) {
  std::vector<FloatPoint> seeds;
  seeds.reserve(chains.size());
  for (const ChainRecord& chain : chains) {
    if (chain.points.empty()) continue;
    IntPoint seed = chain.points.front();
    const auto strokeEnd = [&](int32_t x, int32_t y) {
      return MaskGet(skeleton, x, y) != 0 && CountNeighbours(skeleton, x, y) == 1;
    };
    FindNearestInRings(chain.points.front(), kSeedRingRadius, strokeEnd, seed);
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
