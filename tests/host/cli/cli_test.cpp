#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/cli/png_image.h"
#include "tests/host/cli/cli_run.h"

namespace {

std::string TempPath(const std::string& name) { return ::testing::TempDir() + name; }

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

std::string SamplePath() { return std::string(SPINDREL_SOURCE_DIR) + "/samples/spindrel_text.png"; }

}  // namespace

TEST(Cli, AboutAndParamsListWhatTheHostReceived) {
  const CliRun about = RunCli({"about"});
  EXPECT_EQ(about.code, 0);
  EXPECT_EQ(about.out,
            "Spindrel v1.0.4\nExtracts the spindrel skeleton of any layer.\n"
            "Use with Layer > Auto-trace for Trim Path animation.\n");
  const CliRun params = RunCli({"params"});
  EXPECT_EQ(params.code, 0);
  EXPECT_NE(params.out.find("\n23\tPath Offset (%)\tfloat slider\t0 to 100 (slider 0 to 99999)\t0\n"),
            std::string::npos);
  EXPECT_NE(params.out.find("\n3\tChannel\tpopup\t1 Luminance, 2 Red, 3 Green, 4 Blue, 5 Alpha\t1 (Luminance)\n"),
            std::string::npos);
  EXPECT_EQ(std::count(params.out.begin(), params.out.end(), '\n'), 131);
}

TEST(Cli, RenderWritesAnImageOfTheInputsSizeAtEveryDepth) {
  RgbaImage sample;
  std::string error;
  ASSERT_TRUE(ReadPngFile(SamplePath(), sample, error)) << error;
  for (const char* depth : {"8", "16", "32"}) {
    const std::string output = TempPath(std::string("spindrel_cli_") + depth + ".png");
    std::remove(output.c_str());
    const CliRun run = RunCli({"render", SamplePath(), "-o", output, "--depth", depth, "--set", "Threshold=90"});
    EXPECT_EQ(run.code, 0) << run.err;
    RgbaImage image;
    ASSERT_TRUE(ReadPngFile(output, image, error)) << error;
    EXPECT_EQ(image.width, sample.width);
    EXPECT_EQ(image.height, sample.height);
    std::remove(output.c_str());
  }
}

TEST(Cli, ErrorsGiveOneLineAndWriteNothing) {
  const std::string output = TempPath("spindrel_cli_error.png");
  const std::string notPng = TempPath("spindrel_cli_not_png.png");
  std::ofstream(notPng) << "plain text, not an image";
  const std::vector<std::vector<std::string>> failing = {
      {"render", SamplePath(), "-o", output, "--set", "No Such Label=1"},
      {"render", SamplePath(), "-o", output, "--set", "Threshold=999"},
      {"render", SamplePath(), "-o", output, "--set", "Threshold"},
      {"render", SamplePath(), "-o", output, "--set", "Opacity (%)=5"},
      {"render", SamplePath(), "-o", output, "--depth", "12"},
      {"render", SamplePath(), "-o", output, "--depth", "eight"},
      {"render", SamplePath(), "-o", output, "--project", TempPath("missing_project.json")},
      {"render", TempPath("missing_input.png"), "-o", output},
      {"render", notPng, "-o", output},
      {"render", SamplePath()},
      {"render", SamplePath(), "-o"},
      {"render", SamplePath(), "-o", output, "--bogus"},
      {"render", SamplePath(), "-o", output, "--module", "/nonexistent/Spindrel.so"},
      {"frobnicate"},
      {"about", "extra"},
  };
  for (const std::vector<std::string>& args : failing) {
    std::remove(output.c_str());
    const CliRun run = RunCli(args);
    SCOPED_TRACE(args.back());
    EXPECT_NE(run.code, 0);
    EXPECT_EQ(run.err.rfind("spindrel: error: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(FileExists(output));
  }
  std::remove(notPng.c_str());
}

TEST(Cli, ProjectSavedByOneRenderIsLoadedByTheNext) {
  const std::string project = TempPath("spindrel_cli_project.json");
  const std::string again = TempPath("spindrel_cli_project_again.json");
  const std::string output = TempPath("spindrel_cli_project.png");
  ASSERT_EQ(RunCli({"render", SamplePath(), "-o", output, "--set", "Line Width=7", "--set", "Start Point=10,20",
                 "--save-project", project})
                .code,
            0);
  ASSERT_EQ(RunCli({"render", SamplePath(), "-o", output, "--project", project, "--save-project", again}).code, 0);
  std::ifstream first(project);
  std::ifstream second(again);
  std::stringstream a;
  std::stringstream b;
  a << first.rdbuf();
  b << second.rdbuf();
  EXPECT_EQ(a.str(), b.str());
  EXPECT_NE(a.str().find("\"value\": 7"), std::string::npos);
  for (const std::string& path : {project, again, output}) std::remove(path.c_str());
}

TEST(Cli, BuiltExecutableExitsNonZeroOnBadInput) {
  const std::string output = TempPath("spindrel_cli_exe.png");
  const std::string errors = TempPath("spindrel_cli_exe.err");
  std::remove(output.c_str());
  const std::string command = std::string("\"") + SPINDREL_CLI_PATH + "\" render \"" + SamplePath() + "\" -o \"" +
                              output + "\" --set \"Threshold=abc\" 2> \"" + errors + "\"";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(FileExists(output));
  std::ifstream err(errors);
  std::string line;
  std::getline(err, line);
  EXPECT_EQ(line, "spindrel: error: --set: Threshold: \"abc\" is not an integer");
  std::remove(errors.c_str());
}

// The project is saved after the render; when that fails, the image or the
// frames the run wrote go again.
TEST(Cli, FailedProjectSaveLeavesNoOutputBehind) {
  const std::string output = TempPath("spindrel_cli_unsaved.png");
  const std::string frames = TempPath("spindrel_cli_unsaved_frames");
  const std::string project = TempPath("no_such_directory/project.json");
  std::remove(output.c_str());
  std::filesystem::remove_all(frames);
  const CliRun image = RunCli({"render", SamplePath(), "-o", output, "--save-project", project});
  EXPECT_NE(image.code, 0);
  EXPECT_EQ(std::count(image.err.begin(), image.err.end(), '\n'), 1) << image.err;
  EXPECT_FALSE(FileExists(output));
  const CliRun animation =
      RunCli({"render", SamplePath(), "-o", frames + "/", "--frames", "2", "--fps", "10", "--save-project", project});
  EXPECT_NE(animation.code, 0);
  EXPECT_FALSE(FileExists(frames + "/frame_0000.png"));
  EXPECT_FALSE(FileExists(frames));
}

// A 16-bit PNG without colour information holds sRGB values like an 8-bit
// one: 257 x v reads as v, not as a linear value brightened on the way in.
TEST(Cli, SixteenBitPngReadsAsTheSameValuesScaled) {
  // 2 x 1 RGBA, 16 bits per channel, no gAMA, sRGB or iCCP chunk:
  // (25700, 51400, 12850, 65535) and (32896, 32896, 32896, 32896).
  static const char kPng[] =
      "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x01\x10\x06"
      "\x00\x00\x00\xA4\xB2\xA3\xC9\x00\x00\x00\x14\x49\x44\x41\x54\x78\xDA\x63\x48\x49\x39\x71\xC2\xC8\xE8\xFF"
      "\xFF\x06\x28\x00\x00\x4A\xB0\x08\xBB\x41\x88\x99\xEE\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82";
  const std::string path = TempPath("spindrel_cli_16bit.png");
  std::ofstream(path, std::ios::binary).write(kPng, sizeof(kPng) - 1);
  RgbaImage image;
  std::string error;
  ASSERT_TRUE(ReadPngFile(path, image, error)) << error;
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{100, 200, 50, 255, 128, 128, 128, 128}));
  std::remove(path.c_str());
}
