// Export JSON and Export SVG pressed in editing sessions: the save prompt
// answered in advance (or cancelled) by the host's desktop stand-in, and
// every prompt and alert printed on the press's line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include <nlohmann/json.hpp>

#include "tests/host/cli/cli_process.h"
#include "tests/host/cli/cli_run.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Entries(const std::string& directory) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

const std::string kJsonNoData =
    R"(alert "Spindrel: Export JSON": "No path data cached.\n\nPreview at least one frame first.")";
const std::string kSvgFailed =
    R"(alert "Spindrel: Export SVG": "The SVG file could not be written.\n\nNo file was created or replaced.")";

}  // namespace

TEST(SessionExports, AnswersReachThePromptsAndEveryAlertIsPrinted) {
  const ScratchDirectory scratch("session-exports");
  const std::string dir = scratch.Path();
  const std::string taken = dir + "/taken.svg";  // a directory where the file would go
  fs::create_directories(taken);
  const std::string savedPath = std::getenv("PATH");
  const std::string actions = "answer " + dir + "/early.json\n"
                              "press Export JSON\n"
                              "press Create Shape Layer\n"
                              "set Line Width=5\n"
                              "render " + dir + "/frame.png\n"
                              "set Line Width=9\n"
                              "press Export JSON\n"
                              "answer cancel\n"
                              "press Export SVG\n"
                              "answer " + taken + "\n"
                              "press Export SVG\n"
                              "answer " + dir + "/chains.json\n"
                              "press Export Paths (JSON)\n"
                              "answer " + dir + "/chains.svg\n"
                              "press Export SVG\n";
  const CliRun run = RunSessionCli({SamplePath()}, actions);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{
                "answer: next save prompt -> " + dir + "/early.json",
                // Nothing rendered yet: no prompt, and the answer is not kept for a later one.
                "press: " + kJsonNoData + "; answer unused",
                "press: alert \"Spindrel: Create Shape Layer\": \"No path data cached.\\n\\nPreview at least one frame "
                "with the Spindrel effect active first.\"",
                "set: Line Width = 5",
                "render: " + dir + "/frame.png, 720x220 at 0 s",
                "set: Line Width = 9",
                "press: prompt \"Save Spindrel JSON\" -> cancelled (no answer given)",
                "answer: next save prompt -> cancelled",
                "press: prompt \"Save Spindrel SVG\" -> cancelled",
                "answer: next save prompt -> " + taken,
                "press: prompt \"Save Spindrel SVG\" -> " + taken + "; " + kSvgFailed,
                "answer: next save prompt -> " + dir + "/chains.json",
                "press: prompt \"Save Spindrel JSON\" -> " + dir +
                    "/chains.json; alert \"Spindrel\": \"JSON Exported Successfully!\"",
                "answer: next save prompt -> " + dir + "/chains.svg",
                "press: prompt \"Save Spindrel SVG\" -> " + dir +
                    "/chains.svg; alert \"Spindrel\": \"SVG Exported Successfully!\"",
            }));
  // Cancelled and failed exports left nothing; the directory in the way is untouched.
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"frame.png", "taken.svg", "chains.json", "chains.svg"}));
  EXPECT_TRUE(fs::is_empty(taken));
  const nlohmann::json json = nlohmann::json::parse(ReadText(dir + "/chains.json"));
  EXPECT_EQ(json.at("width"), 720);
  EXPECT_EQ(json.at("height"), 220);
  EXPECT_GT(json.at("paths").size(), 1u);
  // The files hold the last render, drawn at Line Width 5.
  const std::string svg = ReadText(dir + "/chains.svg");
  EXPECT_NE(svg.find("stroke-width=\"5\""), std::string::npos);
  EXPECT_EQ(svg.find("stroke-width=\"9\""), std::string::npos);
  // The session takes its desktop off PATH again.
  EXPECT_EQ(std::getenv("PATH"), savedPath);
  EXPECT_EQ(std::getenv("SPINDREL_DESKTOP_DIR"), nullptr);
}

// The built program without a display: nothing waits for a person.
TEST(SessionExports, TheProgramExportsWithoutADisplay) {
  const ScratchDirectory scratch("session-exports-program");
  const std::string dir = scratch.Path();
  std::ofstream(dir + "/actions.txt") << "render " << dir << "/frame.png\n"
                                      << "press Export SVG\n"
                                      << "answer " << dir << "/chains.svg\n"
                                      << "press Export SVG\n";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  const int out = open((dir + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(out, 0);
  const CliProcess process = StartCli({"session", SamplePath(), "--actions", dir + "/actions.txt"}, out, dir + "/err.txt");
  close(out);
  ASSERT_GT(process.pid, 0);
  const int status = WaitCli(process);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(dir + "/err.txt");
  EXPECT_EQ(ReadText(dir + "/err.txt"), "");
  EXPECT_EQ(Lines(ReadText(dir + "/out.txt")),
            (std::vector<std::string>{"render: " + dir + "/frame.png, 720x220 at 0 s",
                                      "press: prompt \"Save Spindrel SVG\" -> cancelled (no answer given)",
                                      "answer: next save prompt -> " + dir + "/chains.svg",
                                      "press: prompt \"Save Spindrel SVG\" -> " + dir +
                                          "/chains.svg; alert \"Spindrel\": \"SVG Exported Successfully!\""}));
  EXPECT_EQ(ReadText(dir + "/chains.svg").rfind("<?xml", 0), 0u);
}
