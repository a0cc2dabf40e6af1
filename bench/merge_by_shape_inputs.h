// The inputs of the Merge by Shape benchmarks, shared by the in-process
// render (merge_by_shape_bench.cpp) and the command line's single render
// (single_render_bench.cpp): the scanned page, plain and with Invert Input,
// and uniform grey noise, each with Merge by Shape off and on.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/synthetic_page.h"

namespace merge_by_shape_inputs {

enum class Picture { kPage, kNoise };

inline std::vector<uint8_t> PictureGrey(Picture picture, int32_t width, int32_t height) {
  return picture == Picture::kPage ? synthetic_page::MakePageGrey(width, height)
                                   : synthetic_page::UniformNoiseGrey(width, height);
}

// Benchmark arguments: width, height, Invert Input, Merge by Shape.
inline void PageCases(benchmark::internal::Benchmark* cases) {
  cases->ArgNames({"w", "h", "invert", "merge"})
      ->ArgsProduct({{1920}, {1080}, {0, 1}, {0, 1}})
      ->ArgsProduct({{3840}, {2160}, {0, 1}, {0, 1}});
}

inline void NoiseCases(benchmark::internal::Benchmark* cases) {
  cases->ArgNames({"w", "h", "invert", "merge"})->ArgsProduct({{1000}, {1000}, {0}, {0, 1}});
}

// With the 2000 x 2000 noise, whose Merge by Shape render takes minutes.
inline void NoiseCasesWithLargest(benchmark::internal::Benchmark* cases) {
  NoiseCases(cases);
  cases->ArgsProduct({{2000}, {2000}, {0}, {0, 1}});
}

}  // namespace merge_by_shape_inputs
