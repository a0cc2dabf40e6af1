// End to end on the command line, in this process: a 150-frame 1080p write-on
// of the benchmark text (Reveal Progress keyed from 0 to 100 over 5 s at
// 30 fps), from reading the input PNG to writing every frame as a PNG file,
// on 1 and on 8 render threads. Reports frames per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_command_line.h"
#include "bench/synthetic_text.h"
#include "host/cli/png_image.h"

namespace {

constexpr int32_t kFrames = 150;

void BM_AnimationWriteOn1080p(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "spindrel_bench_animation";
  fs::create_directories(dir);
  const std::string input = (dir / "text.png").string();
  const ByteMask text = synthetic_text::MakeTextMask(1920, 1080, 1);
  RgbaImage image{text.width, text.height, std::vector<uint8_t>(text.cells.size() * 4, 0)};
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = text.cells[i / 4] != 0 ? 255 : 0;
  std::string error;
  if (!WritePngFile(input, image, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  bench_command_line::RunEachIteration(
      state, {"render", input, "-o", (dir / "frames").string() + "/", "--frames", std::to_string(kFrames), "--fps",
              "30", "--key", "Reveal Progress (%)=0@0,100@5", "--threads", std::to_string(state.range(0))});
  state.counters["fps"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
  fs::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_AnimationWriteOn1080p)->Arg(1)->Arg(8)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
