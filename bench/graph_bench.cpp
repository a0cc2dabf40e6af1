// Merge by Shape on a thinned HD text frame, as the render calls it.
#include <benchmark/benchmark.h>

#include "bench/synthetic_text.h"
#include "skeleton/extract_chains_graph.h"
#include "skeleton/extract_chains_simple.h"
#include "skeleton/skeleton_graph.h"
#include "skeleton/thinning.h"

namespace {

ByteMask ThinnedTextFrame() {
  ByteMask mask = synthetic_text::MakeTextMask(1920, 1080, 1);
  ThinZhangSuen(mask);
  return mask;
}

void BM_ExtractChainsGraph(benchmark::State& state) {
  const ByteMask skeleton = ThinnedTextFrame();
  const std::vector<ChainRecord> simpleChains = ExtractChainsSimple(skeleton, SimpleExtraction{20.0f, 20.0f, JunctionTracing{true, 0.0f}});
  const FloatPoint start{static_cast<float>(skeleton.width) * 0.5f, static_cast<float>(skeleton.height) * 0.5f};
  const GraphExtraction options{20.0f, start, false, JunctionTracing{true, 0.0f}};
  const std::vector<FloatPoint> noSeeds;
  size_t chains = 0;
  for (auto _ : state) {
    const std::vector<ChainRecord> result = ExtractChainsGraph(skeleton, options, noSeeds, simpleChains);
    chains = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["chains"] = static_cast<double>(chains);
  state.counters["simpleChains"] = static_cast<double>(simpleChains.size());
}

void BM_BuildSkeletonGraph(benchmark::State& state) {
  const ByteMask skeleton = ThinnedTextFrame();
  size_t edges = 0;
  for (auto _ : state) {
    const SkeletonGraph graph = BuildSkeletonGraph(skeleton, 20.0f);
    edges = graph.edges.size();
    benchmark::DoNotOptimize(graph.edges.data());
  }
  state.counters["edges"] = static_cast<double>(edges);
}

}  // namespace

BENCHMARK(BM_ExtractChainsGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSkeletonGraph)->Unit(benchmark::kMillisecond);
