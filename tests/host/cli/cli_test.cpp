#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/host/cli/cli_run.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

TEST(Cli, AboutAndParamsListWhatTheHostReceived) {
  const CliRun about = RunCli({"about"});
  EXPECT_EQ(about.code, 0);
  EXPECT_EQ(about.out,
            "Spindrel v1.0.4\nExtracts the spindrel skeleton of any layer.\n"
            "Use with Layer > Auto-trace for Trim Path animation.\n");
  // Every parameter as the host received it: id, label, kind, range, default,
  // against the effect's published table, which saved projects rely on.
  const CliRun params = RunCli({"params"});
  EXPECT_EQ(params.code, 0);
  std::ifstream table(std::string(SPINDREL_SOURCE_DIR) + "/tests/host/cli/effect_params.tsv");
  const std::string expected((std::istreambuf_iterator<char>(table)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(params.out, expected);
}

TEST(Cli, ErrorsGiveOneLineAndWriteNothing) {
  const ScratchDirectory scratch("cli-errors");
  const std::string output = scratch.File("error.png");
  const std::string frames = scratch.File("error_frames");
  const std::string notPng = scratch.File("not_png.png");
  std::ofstream(notPng) << "plain text, not an image";
  const std::string in = SamplePath();
  const std::vector<std::vector<std::string>> failing = {
      {"render", in, "-o", output, "--set", "Opacity (%)=5"},
      {"render", in, "-o", output, "--depth", "12"},
      {"render", in, "-o", output, "--project", scratch.File("missing_project.json")},
      {"render", scratch.File("missing_input.png"), "-o", output},
      {"render", notPng, "-o", output},
      {"render", in},
      {"render", in, "-o"},
      {"render", in, "-o", output, "--bogus"},
      {"render", in, "-o", output, "--module", "/nonexistent/Spindrel.so"},
      {"render", in, "-o", output, "--threads", "2"},
      {"render", in, "-o", notPng, "--frames", "3", "--fps", "24"},
      {"render", in, "--frames", "3", "--fps", "24"},
      {"render", in, "-o", frames, "--frames", "0", "--fps", "24"},
      {"render", in, "-o", frames, "--frames", "3"},
      {"render", in, "-o", frames, "--frames", "3", "--fps", "24", "--threads", "0"},
      {"render", in, "-o", frames, "--frames", "3", "--fps", "24", "--time", "1"},
      {"render", in, "-o", frames, "--frames", "100000000", "--fps", "1"},
      {"render", in, "-o", frames, "--frames", "3", "--fps", "24", "--key", "Threshold=1@0,2@0"},
      // The project is saved after the render: the image or frames written go again.
      {"render", in, "-o", output, "--save-project", scratch.File("no_such_directory/project.json")},
      {"render", in, "-o", frames, "--frames", "2", "--fps", "10", "--save-project", scratch.File("no/project.json")},
      {"analyse", in},
      {"analyse", in, "-o", frames, "--time", "soon"},
      {"analyse", in, "-o", frames, "--frames", "3"},
      {"frobnicate"},
      {"about", "extra"},
  };
  for (const std::vector<std::string>& args : failing) {
    fs::remove(output);
    const CliRun run = RunCli(args);
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    SCOPED_TRACE(shown);
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(IsOneErrorLine(run.err)) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(fs::exists(output));
    EXPECT_FALSE(fs::exists(frames));
    EXPECT_EQ(ReadText(notPng), "plain text, not an image");
  }
  // The built program exits non-zero too.
  const std::string errors = scratch.File("exe.err");
  const std::string command = std::string("\"") + SPINDREL_CLI_PATH + "\" render \"" + SamplePath() + "\" -o \"" +
                              output + "\" --set \"Threshold=abc\" 2> \"" + errors + "\"";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(output));
  EXPECT_EQ(ReadText(errors), "spindrel: error: --set: Threshold: \"abc\" is not an integer\n");
}

TEST(Cli, ProjectSavedByOneRenderIsLoadedByTheNext) {
  const ScratchDirectory scratch("cli-project");
  const std::string project = scratch.File("project.json");
  const std::string again = scratch.File("project_again.json");
  const std::string output = scratch.File("project.png");
  ASSERT_EQ(RunCli({"render", SamplePath(), "-o", output, "--depth", "16", "--set", "Line Width=7", "--set",
                    "Start Point=10,20", "--save-project", project}).err, "");
  ASSERT_EQ(RunCli({"render", SamplePath(), "-o", output, "--depth", "32", "--project", project, "--save-project",
                    again}).err, "");
  EXPECT_EQ(ReadText(project), ReadText(again));
  EXPECT_NE(ReadText(project).find("\"value\": 7"), std::string::npos);
}

// A 16-bit PNG without colour information holds sRGB values like an 8-bit one.
TEST(Cli, SixteenBitPngReadsAsTheSameValuesScaled) {
  // 2 x 1 RGBA at 16 bits, no gAMA, sRGB or iCCP chunk: (25700, 51400, 12850, 65535), (32896, 32896, 32896, 32896).
  static const char kPng[] =
      "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x01\x10\x06"
      "\x00\x00\x00\xA4\xB2\xA3\xC9\x00\x00\x00\x14\x49\x44\x41\x54\x78\xDA\x63\x48\x49\x39\x71\xC2\xC8\xE8\xFF"
      "\xFF\x06\x28\x00\x00\x4A\xB0\x08\xBB\x41\x88\x99\xEE\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82";
  const ScratchDirectory scratch("cli-16bit");
  const std::string path = scratch.File("16bit.png");
  std::ofstream(path, std::ios::binary).write(kPng, sizeof(kPng) - 1);
  EXPECT_EQ(ReadPng(path).pixels, (std::vector<uint8_t>{100, 200, 50, 255, 128, 128, 128, 128}));
}

// Run by name from PATH in a folder that holds a module and a desktop tool
// of its own, the program still takes both from its own folder.
TEST(Cli, RunByNameUsesOnlyTheFilesBesideTheProgram) {
  const ScratchDirectory scratch("cli-decoys");
  const std::string dir = scratch.Path();
  std::ofstream(dir + "/Spindrel.so") << "a decoy module";
  fs::create_directories(dir + "/desktop");
  std::ofstream(dir + "/desktop/zenity") << "#!/bin/sh\ntouch '" << dir << "/decoy-ran'\necho " << dir
                                         << "/decoy.json\n";
  fs::permissions(dir + "/desktop/zenity", fs::perms::owner_all);
  std::ofstream(dir + "/actions.txt") << "render " << dir << "/frame.png\nanswer " << dir
                                      << "/chains.json\npress Export JSON\n";
  const std::string module = SPINDREL_MODULE_PATH;
  struct Case {
    std::string arguments;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"about", {"Spindrel v1.0.4"}},
      // The module given explicitly: only the desktop stand-in is looked up.
      {"--module '" + module + "' session '" + SamplePath() + "' --actions actions.txt",
       {"render: " + dir + "/frame.png, 720x220 at 0 s", "answer: next save prompt -> " + dir + "/chains.json",
        "press: prompt \"Save Spindrel JSON\" -> " + dir +
            "/chains.json; alert \"Spindrel\": \"JSON Exported Successfully!\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string command = "cd '" + dir + "' && PATH='" + BuiltProgramDirectory() + "':\"$PATH\" spindrel " +
                                c.arguments + " > out.txt 2> err.txt";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(dir + "/err.txt");
    const std::vector<std::string> lines = Lines(ReadText(dir + "/out.txt"));
    ASSERT_GE(lines.size(), c.lines.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.lines.size()), c.lines);
    EXPECT_FALSE(fs::exists(dir + "/decoy-ran"));
  }
}
