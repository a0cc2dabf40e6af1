// spindrel render --frames and spindrel analyse, run in-process.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "render/analysis/chain_cache.h"
#include "render/render_command.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FileNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(AnimationCli, WritesOneNumberedImagePerFrameEndingOnTheSingleRenderAtThatTime) {
  const ScratchDirectory scratch("anim-frames");
  const std::string dir = scratch.Path();
  const std::string input = dir + "/in.png";
  std::string error;
  ASSERT_TRUE(WritePngFile(input, TextInkImage(96, 64, 3), error)) << error;
  const std::string frames = dir + "/frames/";
  const std::string key = "Reveal Progress (%)=0@0,100@1";
  const CliRun run = RunCli({"render", input, "-o", frames, "--frames", "5", "--fps", "4", "--key", key});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");  // no progress bar off a terminal
  EXPECT_EQ(FileNames(frames), (std::vector<std::string>{"frame_0000.png", "frame_0001.png", "frame_0002.png",
                                                         "frame_0003.png", "frame_0004.png"}));
  ASSERT_EQ(RunCli({"render", input, "-o", dir + "/single.png", "--time", "1", "--fps", "4", "--key", key}).code, 0);
  EXPECT_EQ(ReadPng(frames + "frame_0004.png").pixels, ReadPng(dir + "/single.png").pixels);
  const RgbaImage first = ReadPng(frames + "frame_0000.png");
  EXPECT_EQ(first.pixels, std::vector<uint8_t>(first.pixels.size(), 0));
  EXPECT_NE(ReadPng(frames + "frame_0002.png").pixels, first.pixels);
}

// analyse and a render in this process share one chain cache, so the file can be compared with what was published.
TEST(AnimationCli, AnalyseWritesTheStagesAndTheChainsTheRenderPublishes) {
  const ScratchDirectory scratch("anim-analyse");
  const std::string dir = scratch.Path();
  const std::string out = dir + "/analysis";
  const std::string key = "Min Chain Length=0@0,60@1";
  const CliRun run = RunCli({"analyse", SamplePath(), "-o", out, "--set", "Use Bezier Fit=on", "--key", key,
                             "--time", "0.5", "--fps", "10"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(FileNames(out), (std::vector<std::string>{"chains.json", "closed_mask.png", "distance_field.pfm",
                                                      "sampled_mask.png", "skeleton.png"}));

  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  FrameTiming timing;
  std::string error;
  ASSERT_TRUE(ParseFrameRate("10", timing, error));
  ASSERT_TRUE(ApplyParamAssignment(host->instance, "Use Bezier Fit=on", error)) << error;
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, key, timing, error)) << error;
  OwnedFrame frame = FrameFromImage(ReadPng(SamplePath()), 8);
  OwnedFrame output = MakeFrame(frame.width, frame.height, 8);
  HostFrame inputView = FrameView(frame);
  HostFrame outputView = FrameView(output);
  const auto render = [&](HostInData& in, HostParamDef* params[]) {
    HostOutData result{};
    return Render(&in, &result, params, &outputView, nullptr);
  };
  ASSERT_EQ(RunWithCommandParams(*host, &inputView, 500, render), kHostErrorNone);
  const ChainCache cache = SnapshotChainCache();

  const nlohmann::json chains = nlohmann::json::parse(ReadText(out + "/chains.json"));
  ASSERT_EQ(chains["chains"].size(), cache.chains.size());
  ASSERT_GT(cache.chains.size(), 3u);
  for (size_t i = 0; i < cache.chains.size(); ++i) {
    const nlohmann::json& chain = chains["chains"][i];
    EXPECT_EQ(chain["label"], i + 1);
    std::vector<std::pair<int32_t, int32_t>> published;
    for (const IntPoint& p : cache.chains[i]) published.emplace_back(p.x, p.y);
    EXPECT_EQ((chain["points"].get<std::vector<std::pair<int32_t, int32_t>>>()), published) << "chain " << i + 1;
  }

  // The field is non-zero exactly on the closed shapes; a PFM file runs from the bottom row up.
  const RgbaImage closed = ReadPng(out + "/closed_mask.png");
  std::istringstream pfm(ReadText(out + "/distance_field.pfm"));
  std::string magic;
  std::string scale;
  int32_t width = 0;
  int32_t height = 0;
  pfm >> magic >> width >> height >> scale;
  pfm.get();
  ASSERT_EQ(magic + " " + scale, "Pf -1.0");
  ASSERT_EQ(width, closed.width);
  ASSERT_EQ(height, closed.height);
  std::vector<float> row(static_cast<size_t>(width));
  size_t mismatches = 0;
  for (int32_t y = height - 1; y >= 0; --y) {
    pfm.read(reinterpret_cast<char*>(row.data()), 4 * width);
    for (int32_t x = 0; x < width; ++x) {
      mismatches += (closed.pixels[(static_cast<size_t>(y) * width + x) * 4] == 255) != (row[x] >= 1.0f);
    }
  }
  EXPECT_TRUE(pfm.good() && pfm.peek() == EOF);
  EXPECT_EQ(mismatches, 0u);
}
