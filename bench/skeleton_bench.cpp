// Per-frame cost of the skeleton stages on text-like masks at HD and UHD.
#include <benchmark/benchmark.h>

#include "bench/simple_extraction_timing.h"
#include "bench/synthetic_text.h"
#include "skeleton/distance_field.h"
#include "skeleton/thinning.h"

namespace {

ByteMask BenchMask(const benchmark::State& state) {
  return synthetic_text::MakeTextMask(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), 1);
}

void BM_ThinZhangSuen(benchmark::State& state) {
  const ByteMask original = BenchMask(state);
  for (auto _ : state) {
    state.PauseTiming();
    ByteMask mask = original;
    state.ResumeTiming();
    ThinZhangSuen(mask);
    benchmark::DoNotOptimize(mask.cells.data());
  }
}

void BM_DistanceTransform(benchmark::State& state) {
  const ByteMask mask = BenchMask(state);
  DistanceField field;
  for (auto _ : state) {
    DistanceTransform(mask, field);
    benchmark::DoNotOptimize(field.values.data());
  }
}

void BM_ExtractChainsSimple(benchmark::State& state) {
  ByteMask skeleton = BenchMask(state);
  ThinZhangSuen(skeleton);
  TimeSimpleExtraction(state, skeleton);
}

void FrameSizes(benchmark::internal::Benchmark* bench) {
  bench->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_ThinZhangSuen)->Apply(FrameSizes);
BENCHMARK(BM_DistanceTransform)->Apply(FrameSizes);
BENCHMARK(BM_ExtractChainsSimple)->Apply(FrameSizes);
