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
      return MaskGet(skeleton, x, y) != 0 && NeighbourSum(skeleton, x, y) == 1;
    };
    FindNearestInRings(chain.points.front(), kSeedRingRadius, strokeEnd, seed);
    seeds.push_back(ToFloatPoint(seed));
  }
  return seeds;
}

std::vector<ChainRecord> ExtractRenderChains(const ByteMask& skeleton, const RenderSettings& s) {
  const JunctionTracing tracing{s.smartJunctionTracing, s.junctionBias};
  std::vector<ChainRecord> simple = ExtractChainsSimple(skeleton, SimpleExtraction{s.gapClose, s.minChainLength, tracing});
  if (!s.mergeByShape) return simple;

  std::vector<FloatPoint> seeds;
  if (!s.directionalStart) {
    PointOpenChainsAtStart(simple, s.startX, s.startY);
    SortChainsByStartDistance(simple, s.startX, s.startY);
    seeds = FindChainSeeds(skeleton, simple);
  }
  const GraphExtraction graph{s.minChainLength, FloatPoint{s.startX, s.startY}, s.directionalStart, tracing};
  return ExtractChainsGraph(skeleton, graph, seeds, simple);
}
