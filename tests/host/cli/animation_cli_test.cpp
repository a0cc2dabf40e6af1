// spindrel render --frames and spindrel analyse, run in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "host/cli/png_image.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "render/render_driver.h"
#include "skeleton/chain_cache.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/ink_image.h"
#include "tests/host/reference_host_fixture.h"

namespace fs = std::filesystem;

namespace {

// A fresh scratch directory per test.
std::string Scratch(const std::string& name) {
  const fs::path path = fs::path(::testing::TempDir()) / ("spindrel_anim_" + name);
  fs::remove_all(path);
  fs::create_directories(path);
  return path.string();
}

std::vector<std::string> FileNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string WriteInk(const std::string& directory, int32_t width, int32_t height, uint32_t seed) {
  const std::string path = directory + "/in.png";
  std::string error;
  EXPECT_TRUE(WritePngFile(path, InkImage(width, height, seed), error)) << error;
  return path;
}

RgbaImage ReadPng(const std::string& path) {
  RgbaImage image;
  std::string error;
  EXPECT_TRUE(ReadPngFile(path, image, error)) << error;
  return image;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The single-channel float image of a PFM file, top row first.
std::vector<float> ReadPfm(const std::string& path, int32_t& width, int32_t& height) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  double scale = 0.0;
  file >> magic >> width >> height >> scale;
  file.get();
  EXPECT_EQ(magic, "Pf");
  EXPECT_EQ(scale, -1.0);
  std::vector<float> values(static_cast<size_t>(width) * height);
  for (int32_t y = height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < width; ++x) {
      unsigned char bytes[4] = {};
      file.read(reinterpret_cast<char*>(bytes), 4);
      const uint32_t bits = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
      std::memcpy(&values[static_cast<size_t>(y) * width + x], &bits, 4);
    }
  }
  EXPECT_TRUE(file.good());
  EXPECT_EQ(file.peek(), std::char_traits<char>::eof());
  return values;
}

}  // namespace

TEST(AnimationCli, WritesOneNumberedImagePerFrameEndingOnTheSingleRenderAtThatTime) {
  const std::string dir = Scratch("frames");
  const std::string input = WriteInk(dir, 96, 64, 3);
  const std::string frames = dir + "/frames/";
  const std::vector<std::string> animate = {"render", input, "-o", frames, "--frames", "5", "--fps", "4",
                                            "--key", "Reveal Progress (%)=0@0,100@1", "--set", "Line Width=3"};
  const CliRun run = RunCli(animate);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_TRUE(run.err.empty());  // no progress bar off a terminal
  EXPECT_EQ(FileNames(frames), (std::vector<std::string>{"frame_0000.png", "frame_0001.png", "frame_0002.png",
                                                         "frame_0003.png", "frame_0004.png"}));
  const std::string single = dir + "/single.png";
  ASSERT_EQ(RunCli({"render", input, "-o", single, "--time", "1", "--fps", "4", "--key",
                    "Reveal Progress (%)=0@0,100@1", "--set", "Line Width=3"})
                .code,
            0);
  EXPECT_EQ(ReadPng(frames + "frame_0004.png").pixels, ReadPng(single).pixels);
  const RgbaImage first = ReadPng(frames + "frame_0000.png");
  EXPECT_TRUE(std::all_of(first.pixels.begin(), first.pixels.end(), [](uint8_t v) { return v == 0; }));
  EXPECT_NE(ReadPng(frames + "frame_0002.png").pixels, first.pixels);
  fs::remove_all(dir);
}

TEST(AnimationCli, BadArgumentsFailWithOneLineBeforeAnythingIsWritten) {
  const std::string dir = Scratch("errors");
  const std::string input = WriteInk(dir, 32, 24, 1);
  const std::string frames = dir + "/frames";
  const std::string aFile = dir + "/a_file";
  std::ofstream(aFile) << "not a directory";
  const std::vector<std::string> good = {"--frames", "3", "--fps", "24"};
  const auto With = [&](std::vector<std::string> extra, const std::string& output) {
    std::vector<std::string> args = {"render", input};
    if (!output.empty()) args.insert(args.end(), {"-o", output});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const std::vector<std::vector<std::string>> failing = {
      With(good, ""),
      With({"--frames", "0", "--fps", "24"}, frames),
      With({"--frames", "-2", "--fps", "24"}, frames),
      With({"--frames", "three", "--fps", "24"}, frames),
      With({"--frames", "3"}, frames),
      With({"--frames", "3", "--fps", "0"}, frames),
      With({"--frames", "3", "--fps", "fast"}, frames),
      With({"--frames", "3", "--fps", "24", "--threads", "0"}, frames),
      With({"--frames", "3", "--fps", "24", "--time", "1"}, frames),
      With({"--frames", "100000000", "--fps", "1"}, frames),
      With({"--frames", "3", "--fps", "24", "--key", "No Such Label=1@0,2@1"}, frames),
      With({"--frames", "3", "--fps", "24", "--key", "Threshold=1@0,2"}, frames),
      With({"--frames", "3", "--fps", "24", "--key", "Threshold=1@0,2@0"}, frames),
      With({"--frames", "3", "--fps", "24", "--key", "Threshold=1"}, frames),
      With({"--threads", "2"}, dir + "/one.png"),
      With(good, aFile),
      {"analyse", input},
      {"analyse", input, "-o", frames, "--key", "Line Width=0@0"},
      {"analyse", input, "-o", frames, "--time", "soon"},
      {"analyse", input, "-o", frames, "--frames", "3"},
  };
  for (const std::vector<std::string>& args : failing) {
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const CliRun run = RunCli(args);
    EXPECT_NE(run.code, 0);
    EXPECT_EQ(run.err.rfind("spindrel: error: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(frames));
    EXPECT_FALSE(fs::exists(dir + "/one.png"));
    EXPECT_EQ(ReadText(aFile), "not a directory");
  }
  fs::remove_all(dir);
}

TEST(AnimationCli, AFrameThatCannotBeWrittenRemovesTheFramesWrittenBeforeIt) {
  const std::string dir = Scratch("cleanup");
  const std::string input = WriteInk(dir, 32, 24, 1);
  const std::string frames = dir + "/frames";
  fs::create_directories(frames + "/frame_0002.png");  // a directory where a frame should go
  const CliRun run = RunCli({"render", input, "-o", frames, "--frames", "4", "--fps", "30", "--threads", "1"});
  EXPECT_NE(run.code, 0);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(FileNames(frames), std::vector<std::string>{"frame_0002.png"});
  fs::remove_all(dir);
}

// analyse and a render run in this process share one chain cache, so the
// chains the render published can be compared with the file; the module
// compiles the same stage functions.
TEST(AnimationCli, AnalyseWritesTheStagesAndTheChainsTheRenderPublishes) {
  const std::string dir = Scratch("analyse");
  const std::string input = std::string(SPINDREL_SOURCE_DIR) + "/samples/spindrel_text.png";
  const std::string out = dir + "/analysis";
  const std::string key = "Min Chain Length=0@0,60@1";
  const CliRun run = RunCli({"analyse", input, "-o", out, "--set", "Use Bezier Fit=on", "--key", key, "--time",
                             "0.5", "--fps", "10"});
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
  OwnedFrame frame = FrameFromImage(ReadPng(input), 8);
  OwnedFrame output = MakeFrame(frame.width, frame.height, 8);
  HostFrame inputView = FrameView(frame);
  HostFrame outputView = FrameView(output);
  ASSERT_EQ(RunWithCommandParams(*host, &inputView, 500,
                                 [&](HostInData& in, HostParamDef* params[]) {
                                   HostOutData result{};
                                   return Render(&in, &result, params, &outputView, nullptr);
                                 }),
            kHostErrorNone);
  const ChainCache cache = SnapshotChainCache();

  const nlohmann::json chains = nlohmann::json::parse(ReadText(out + "/chains.json"));
  EXPECT_EQ(chains["width"], cache.width);
  EXPECT_EQ(chains["height"], cache.height);
  ASSERT_EQ(chains["chains"].size(), cache.chains.size());
  ASSERT_GT(cache.chains.size(), 3u);
  for (size_t i = 0; i < cache.chains.size(); ++i) {
    const nlohmann::json& chain = chains["chains"][i];
    EXPECT_EQ(chain["label"], i + 1);
    std::vector<std::pair<int32_t, int32_t>> points;
    for (const auto& p : chain["points"]) points.emplace_back(p[0].get<int32_t>(), p[1].get<int32_t>());
    std::vector<std::pair<int32_t, int32_t>> published;
    for (const IntPoint& p : cache.chains[i]) published.emplace_back(p.x, p.y);
    EXPECT_EQ(points, published) << "chain " << i + 1;
    ASSERT_TRUE(chain.contains("fpoints"));
    EXPECT_EQ(chain["fpoints"].size(), points.size());
  }

  // The field is non-zero exactly on the closed shapes, rows in the right order.
  const RgbaImage closed = ReadPng(out + "/closed_mask.png");
  int32_t width = 0;
  int32_t height = 0;
  const std::vector<float> field = ReadPfm(out + "/distance_field.pfm", width, height);
  ASSERT_EQ(width, closed.width);
  ASSERT_EQ(height, closed.height);
  size_t mismatches = 0;
  for (size_t i = 0; i < field.size(); ++i) {
    const uint8_t grey = closed.pixels[i * 4];
    EXPECT_TRUE(grey == 0 || grey == 255);
    if ((grey == 255) != (field[i] >= 1.0f)) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0u);
  fs::remove_all(dir);
}
