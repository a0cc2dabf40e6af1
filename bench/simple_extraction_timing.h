// The timed loop of the simple extraction benchmarks: default Gap Close and
// Min Chain Length, Smart Junction Tracing on, and the chain count as a
// counter.
#pragma once

#include <benchmark/benchmark.h>

#include <vector>

#include "skeleton/extract_chains_simple.h"

inline void TimeSimpleExtraction(benchmark::State& state, const ByteMask& skeleton) {
  size_t chains = 0;
  for (auto _ : state) {
    const std::vector<ChainRecord> result =
        ExtractChainsSimple(skeleton, SimpleExtraction{20.0f, 20.0f, JunctionTracing{true, 0.0f}});
    chains = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["chains"] = static_cast<double>(chains);
}
