// Merge by Shape on the inputs where its look-ahead has the most to search,
// each frame rendered alone (no analysis reused) through the effect, with
// the option off and on: a scanned page on Channel Luminance (the paper is
// one mesh around every glyph), the same page with Invert Input (the glyphs
// are the shapes), and uniform grey noise.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_host.h"
#include "bench/merge_by_shape_inputs.h"
#include "host/frame_buffer.h"
#include "render/analysis/analysis_reuse.h"

namespace {

using bench_host::BenchHost;

using merge_by_shape_inputs::Picture;

// Opaque grey, as a scanner gives it.
OwnedFrame GreyFrame(int32_t width, int32_t height, const std::vector<uint8_t>& grey) {
  OwnedFrame frame = MakeFrame(width, height, 8);
  for (size_t i = 0; i < grey.size(); ++i) {
    uint8_t* pixel = frame.storage.data() + i * 4;  // alpha, red, green, blue
    pixel[0] = 255;
    pixel[1] = pixel[2] = pixel[3] = grey[i];
  }
  return frame;
}

OwnedFrame& Input(Picture picture, int32_t width, int32_t height) {
  static std::map<std::tuple<Picture, int32_t, int32_t>, std::unique_ptr<OwnedFrame>> frames;
  std::unique_ptr<OwnedFrame>& frame = frames[{picture, width, height}];
  if (frame == nullptr) {
    const std::vector<uint8_t> grey = merge_by_shape_inputs::PictureGrey(picture, width, height);
    frame = std::make_unique<OwnedFrame>(GreyFrame(width, height, grey));
  }
  return *frame;
}

void Assign(const std::string& assignment) {
  std::string error;
  if (!ApplyParamAssignment(BenchHost().instance, assignment, error)) {
    std::fprintf(stderr, "merge by shape bench: %s\n", error.c_str());
    std::exit(1);
  }
}

// Arguments: width, height, Invert Input, Merge by Shape.
void RenderAlone(benchmark::State& state, Picture picture) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  OwnedFrame& source = Input(picture, width, height);
  OwnedFrame target = MakeFrame(width, height, 8);
  const HostFrame input = FrameView(source);
  HostFrame output = FrameView(target);
  SetLayerSize(BenchHost().instance, width, height);
  Assign(std::string("Invert Input=") + (state.range(2) != 0 ? "on" : "off"));
  Assign(std::string("Merge by Shape (retrace)=") + (state.range(3) != 0 ? "on" : "off"));
  SetAnalysisReuse(false);
  for (auto _ : state) {
    if (bench_host::RenderInProcess(input, output) != kHostErrorNone) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(target.storage.data());
  }
  SetAnalysisReuse(true);
  Assign("Invert Input=off");
  Assign("Merge by Shape (retrace)=off");
}

void BM_RenderPage(benchmark::State& state) { RenderAlone(state, Picture::kPage); }
void BM_RenderNoise(benchmark::State& state) { RenderAlone(state, Picture::kNoise); }

}  // namespace

BENCHMARK(BM_RenderPage)->Apply(merge_by_shape_inputs::PageCases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderNoise)->Apply(merge_by_shape_inputs::NoiseCasesWithLargest)->Unit(benchmark::kMillisecond);
