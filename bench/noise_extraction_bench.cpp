// Simple extraction on thresholded noise, the worst case for end joining:
// thousands of short pieces whose ends meet. Default Gap Close and Min Chain
// Length.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/simple_extraction_timing.h"
#include "skeleton/thinning.h"

namespace {

ByteMask ThinnedBlockNoise(int32_t width, int32_t height) {
  ByteMask mask;
  mask.width = width;
  mask.height = height;
  mask.cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  std::mt19937 rng(5);
  std::bernoulli_distribution set(0.45);
  for (int32_t y = 0; y < height; y += 3) {
    for (int32_t x = 0; x < width; x += 3) {
      if (!set(rng)) continue;
      for (int32_t dy = 0; dy < 3; ++dy) {
        for (int32_t dx = 0; dx < 3; ++dx) MaskSet(mask, x + dx, y + dy, 1);
      }
    }
  }
  ThinZhangSuen(mask);
  return mask;
}

void BM_ExtractChainsSimpleOnNoise(benchmark::State& state) {
  TimeSimpleExtraction(state,
                       ThinnedBlockNoise(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1))));
}

BENCHMARK(BM_ExtractChainsSimpleOnNoise)->Args({640, 360})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
