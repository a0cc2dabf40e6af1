// Merge by Shape off and on for a frame rendered alone, as a user times it:
// one `spindrel render IN.png -o OUT.png` on the command line, in this
// process, from reading the PNG to writing the frame (the effect opened and
// set up each time, one render, one thread). The inputs are those of
// merge_by_shape_bench.cpp: the scanned page, plain and with Invert Input,
// and uniform grey noise.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_command_line.h"
#include "bench/merge_by_shape_inputs.h"
#include "host/cli/png_image.h"

namespace {

namespace fs = std::filesystem;

using merge_by_shape_inputs::Picture;

fs::path BenchDirectory() { return fs::temp_directory_path() / "spindrel_bench_single_render"; }

// The input written once per picture and size, as an opaque grey PNG.
std::string InputPng(Picture picture, int32_t width, int32_t height, std::string& error) {
  static std::map<std::tuple<Picture, int32_t, int32_t>, std::string> written;
  std::string& path = written[{picture, width, height}];
  if (!path.empty()) return path;
  const std::vector<uint8_t> grey = merge_by_shape_inputs::PictureGrey(picture, width, height);
  RgbaImage image{width, height, std::vector<uint8_t>(grey.size() * 4, 255)};
  for (size_t i = 0; i < grey.size(); ++i) {
    for (size_t channel = 0; channel < 3; ++channel) image.pixels[i * 4 + channel] = grey[i];
  }
  fs::create_directories(BenchDirectory());
  const std::string candidate =
      (BenchDirectory() / ((picture == Picture::kPage ? "page_" : "noise_") + std::to_string(width) + ".png")).string();
  if (WritePngFile(candidate, image, error)) path = candidate;
  return path;
}

// Arguments: width, height, Invert Input, Merge by Shape.
void SingleRender(benchmark::State& state, Picture picture) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  std::string error;
  const std::string input = InputPng(picture, width, height, error);
  if (input.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::string output = (BenchDirectory() / "frame.png").string();
  bench_command_line::RunEachIteration(
      state, {"render", input, "-o", output, "--set", std::string("Invert Input=") + (state.range(2) != 0 ? "on" : "off"),
              "--set", std::string("Merge by Shape (retrace)=") + (state.range(3) != 0 ? "on" : "off")});
}

void BM_SingleRenderPage(benchmark::State& state) { SingleRender(state, Picture::kPage); }
void BM_SingleRenderNoise(benchmark::State& state) { SingleRender(state, Picture::kNoise); }

}  // namespace

BENCHMARK(BM_SingleRenderPage)->Apply(merge_by_shape_inputs::PageCases)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SingleRenderNoise)->Apply(merge_by_shape_inputs::NoiseCases)->Unit(benchmark::kMillisecond)->UseRealTime();
