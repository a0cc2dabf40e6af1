// The whole render of one frame of thick text at 8 bits, HD and UHD, Reveal
// Progress 50 and otherwise the effect's own defaults (from its parameter
// setup, through the reference host), analysed anew and with the analysis of
// the previous frame reused, plus the stage groups on their own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "bench/bench_host.h"
#include "bench/synthetic_text.h"
#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "model/read_render_settings.h"
#include "render/analysis/analysis_reuse.h"
#include "render/analysis/analysis_stages.h"
#include "render/analysis/chain_edits.h"
#include "render/analysis/chain_extraction.h"
#include "render/analysis/chain_ordering.h"
#include "render/analysis/chain_shaping.h"
#include "render/analysis/layer_sampling.h"
#include "render/drawing/stroke_drawing.h"
#include "render/render_command.h"
#include "skeleton/mask_closing.h"
#include "skeleton/skeleton_cleanup.h"
#include "skeleton/thinning.h"

namespace {

using bench_host::BenchHost;

// One text frame with the settings the host would pass for it.
struct BenchFrame {
  OwnedFrame input;
  OwnedFrame output;
  RenderSettings settings;
};

BenchFrame& Frame(const benchmark::State& state) {
  static std::map<std::pair<int64_t, int64_t>, std::unique_ptr<BenchFrame>> frames;
  std::unique_ptr<BenchFrame>& frame = frames[{state.range(0), state.range(1)}];
  if (frame == nullptr) {
    const ByteMask text = synthetic_text::MakeTextMask(static_cast<int32_t>(state.range(0)),
                                                       static_cast<int32_t>(state.range(1)), 1);
    frame = std::make_unique<BenchFrame>();
    frame->input = MakeFrame(text.width, text.height, 8);
    frame->output = MakeFrame(text.width, text.height, 8);
    for (size_t i = 0; i < text.cells.size(); ++i) {
      if (text.cells[i] != 0) std::fill_n(frame->input.storage.begin() + static_cast<std::ptrdiff_t>(i * 4), 4, 255);
    }
    ReferenceHost& host = BenchHost();
    HostFrame input = FrameView(frame->input);
    SetLayerSize(host.instance, input.width, input.height);
    CommandParams params = PrepareCommandParams(host, &input);
    frame->settings = ReadRenderSettings(params.pointers.data());
    TakeBackCommandParams(host, params);
  }
  return *frame;
}

ByteMask SampledAndClosed(BenchFrame& f) {
  const RenderSettings& s = f.settings;
  ByteMask mask = SampleLayerMask(FrameView(f.input), s.channel, s.invertInput, s.threshold);
  CloseMask3x3(mask);
  return mask;
}

// Render in this process (the module's twin), so that reuse can be chosen.
void RenderWhole(benchmark::State& state, bool reuse) {
  BenchFrame& f = Frame(state);
  const HostFrame input = FrameView(f.input);
  HostFrame output = FrameView(f.output);
  SetAnalysisReuse(reuse);
  for (auto _ : state) {
    if (bench_host::RenderInProcess(input, output) != kHostErrorNone) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(f.output.storage.data());
  }
  SetAnalysisReuse(true);
}

// Every frame analysed anew: the cost of a frame whose picture changed.
void BM_RenderWhole(benchmark::State& state) { RenderWhole(state, false); }

// The analysis of the previous frame reused: the cost of a write-on frame.
void BM_RenderWholeReused(benchmark::State& state) { RenderWhole(state, true); }

void BM_RenderSamplingAndClosing(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  for (auto _ : state) {
    ByteMask mask = SampledAndClosed(f);
    benchmark::DoNotOptimize(mask.cells.data());
  }
}

void BM_RenderDistanceField(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  const ByteMask closed = SampledAndClosed(f);
  DistanceField field;
  for (auto _ : state) {
    DistanceTransform(closed, field);
    benchmark::DoNotOptimize(field.values.data());
  }
}

void BM_RenderThinningAndCleanUp(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  const ByteMask closed = SampledAndClosed(f);
  DistanceField field;
  DistanceTransform(closed, field);
  for (auto _ : state) {
    state.PauseTiming();
    ByteMask mask = closed;
    state.ResumeTiming();
    ThinZhangSuen(mask);
    CleanSkeleton(mask, field, SkeletonCleanupOf(f.settings));
    benchmark::DoNotOptimize(mask.cells.data());
  }
}

// Corner pass, small shapes, spurs and end trimming on the thinned mask.
void BM_RenderCleanUp(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  ByteMask thinned = SampledAndClosed(f);
  DistanceField field;
  DistanceTransform(thinned, field);
  ThinZhangSuen(thinned);
  for (auto _ : state) {
    state.PauseTiming();
    ByteMask mask = thinned;
    state.ResumeTiming();
    CleanSkeleton(mask, field, SkeletonCleanupOf(f.settings));
    benchmark::DoNotOptimize(mask.cells.data());
  }
}

void BM_RenderExtractionAndOrdering(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  const RenderAnalysis analysis = AnalyseLayer(f.settings, FrameView(f.input), false);
  const RenderSettings& s = f.settings;
  size_t chainCount = 0;
  for (auto _ : state) {
    std::vector<ChainRecord> chains = ExtractRenderChains(analysis.skeleton, s);
    if (!s.mergeByShape) OrientChains(chains, s.startX, s.startY);
    SortChainsByStartDistance(chains, s.startX, s.startY);
    ApplyMergeSlots(chains, s.mergeSlots, s.autoFlip);
    ApplyReverseSlots(chains, s.reverseSlots);
    ShapeChains(chains, analysis.field, s);
    chainCount = chains.size();
    benchmark::DoNotOptimize(chains.data());
  }
  state.counters["chains"] = static_cast<double>(chainCount);
}

void BM_RenderDrawing(benchmark::State& state) {
  BenchFrame& f = Frame(state);
  const HostFrame input = FrameView(f.input);
  HostFrame output = FrameView(f.output);
  const RenderAnalysis analysis = AnalyseLayer(f.settings, input, false);
  const RenderFrameState frame = MakeFrameState(analysis, input, output);
  for (auto _ : state) {
    DrawRenderOutput(f.settings, frame);
    benchmark::DoNotOptimize(f.output.storage.data());
  }
}

void FrameSizes(benchmark::internal::Benchmark* bench) {
  bench->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_RenderWhole)->Apply(FrameSizes);
BENCHMARK(BM_RenderWholeReused)->Apply(FrameSizes);
BENCHMARK(BM_RenderSamplingAndClosing)->Apply(FrameSizes);
BENCHMARK(BM_RenderDistanceField)->Apply(FrameSizes);
BENCHMARK(BM_RenderThinningAndCleanUp)->Apply(FrameSizes);
BENCHMARK(BM_RenderCleanUp)->Apply(FrameSizes);
BENCHMARK(BM_RenderExtractionAndOrdering)->Apply(FrameSizes);
BENCHMARK(BM_RenderDrawing)->Apply(FrameSizes);
