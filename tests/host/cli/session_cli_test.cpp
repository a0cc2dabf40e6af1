#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "host/cli/action_lines.h"
#include "model/param_ids.h"
#include "tests/host/cli/cli_run.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

TEST(SessionCli, BadOptionsFailWithOneLineBeforeAnyAction) {
  const std::string in = SamplePath();
  const ScratchDirectory scratch("session-options");
  const std::string output = scratch.File("never.png");
  const std::string actions = "render " + output + "\n";
  const std::vector<std::vector<std::string>> failing = {
      {},
      {in, "--downsample", "0"},
      {in, "--downsample", "65"},
      {in, "--layer-scale", "0"},
      {in, "--layer-scale", "2,x"},
      {in, "--layer-offset", "5"},
      {in, "--comp-size", "0x5"},
      {in, "--comp-size", "640"},
      {in, "--comp-size", "30001x5"},  // past the host's largest frame
      {in, "--actions", scratch.File("no_such_actions.txt")},
      {in, "--set", "Nope=1"},
      {in, "--frames", "3"},
  };
  for (const std::vector<std::string>& args : failing) {
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const CliRun run = RunSessionCli(args, actions);
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(IsOneErrorLine(run.err)) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(output));
  }
}

// Each failing line is named on standard error, changes nothing and writes
// nothing; the session goes on and exits with 1.
TEST(SessionCli, BadLinesAreNamedAndTheSessionGoesOn) {
  const ScratchDirectory scratch("session-lines");
  const std::string directory = scratch.File("dir");
  const std::string image = scratch.File("ok.png");
  const std::string project = scratch.File("project.json");
  const std::string missing = scratch.File("no_such_dir/out.png");
  fs::create_directories(directory);
  const std::string actions = "set Line Width=7\n"
                              "clik 3 4\n"
                              "set Nope=1\n"
                              "press Line Width\n"
                              "click 1\n"
                              "time soon\n"
                              "undo extra\n"
                              "render " + missing + "\n"
                              "window " + directory + "\n"
                              "# a comment, then a blank line\n"
                              "\n"
                              "  undo  \r\n"
                              "undo\n"
                              "render " + image + "\n" +
                              // A line past the cap is skipped unread; one at the cap is read.
                              std::string(kMaxActionLineBytes + 1, 'x') + "\n" +
                              "#" + std::string(kMaxActionLineBytes - 1, ' ') + "\n"
                              "time 1\n";
  const CliRun run = RunSessionCli({SamplePath(), "--save-project", project}, actions);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"set: Line Width = 7", "undo: \"Line Width\": Line Width = 2",
                                                       "render: " + image + ", 720x220 at 0 s", "time: 1 s"}));
  const std::vector<std::string> errors = Lines(run.err);
  ASSERT_EQ(errors.size(), 10u) << run.err.substr(0, 2000);
  EXPECT_EQ(errors[9], "spindrel: line 15: longer than " + std::to_string(kMaxActionLineBytes) +
                          " bytes, the most an action line may hold; skipped");
  const int failedLines[] = {2, 3, 4, 5, 6, 7, 8, 9, 13, 15};
  for (size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].rfind("spindrel: line " + std::to_string(failedLines[i]) + ": ", 0), 0u) << errors[i];
  }
  EXPECT_NE(errors[0].find("unknown action \"clik\""), std::string::npos);
  EXPECT_NE(errors[2].find("not a button"), std::string::npos);
  EXPECT_NE(errors[8].find("nothing to undo"), std::string::npos);
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_TRUE(fs::is_directory(directory));
  EXPECT_TRUE(fs::is_empty(directory));
  EXPECT_EQ(ReadPng(image).width, 720);
  // The project holds what the session left: Line Width back at 2.
  const nlohmann::json saved = nlohmann::json::parse(ReadText(project));
  for (const nlohmann::json& entry : saved.at("parameters")) {
    if (entry.at("id") == PARAM_LINE_WIDTH) {
      EXPECT_EQ(entry.at("value"), 2);
    }
  }
}

// At 1/2 the render is half the size and the windows show it scaled back up,
// placed in a composition of their own size.
TEST(SessionCli, DraftFramesAreHalfSizeAndWindowsShowThemPlaced) {
  const ScratchDirectory scratch("session-draft");
  const std::string render = scratch.File("half.png");
  const std::string window = scratch.File("half_window.png");
  const std::string layerWindow = scratch.File("half_layer.png");
  const std::string actions = "set Preview Chains=1\nrender " + render + "\nwindow " + window + "\nlayer-window " +
                              layerWindow + "\n";
  const CliRun run =
      RunSessionCli({SamplePath(), "--downsample", "2", "--comp-size", "800x300", "--layer-offset", "40,30"}, actions);
  ASSERT_EQ(run.code, 0) << run.err;
  const RgbaImage frame = ReadPng(render);
  const RgbaImage comp = ReadPng(window);
  const RgbaImage layer = ReadPng(layerWindow);
  ASSERT_EQ(frame.width, 360);
  ASSERT_EQ(frame.height, 110);
  ASSERT_EQ(comp.width, 800);
  ASSERT_EQ(comp.height, 300);
  ASSERT_EQ(layer.width, 720);
  ASSERT_EQ(layer.height, 220);
  size_t differing = 0;
  for (int32_t y = 0; y < 220; ++y) {
    for (int32_t x = 0; x < 720; ++x) {
      const auto pixel = [](const RgbaImage& image, int32_t px, int32_t py) {
        const auto at = image.pixels.begin() + (static_cast<std::ptrdiff_t>(py) * image.width + px) * 4;
        return std::vector<uint8_t>(at, at + 4);
      };
      const std::vector<uint8_t> shown = pixel(frame, x / 2, y / 2);
      differing += pixel(layer, x, y) != shown;
      differing += pixel(comp, x + 40, y + 30) != shown;
    }
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_EQ(comp.pixels[3], 0);  // outside the layer the composition is empty
}
