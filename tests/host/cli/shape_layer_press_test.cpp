// Create Shape Layer pressed through the plug-in module in the reference
// host, with the desktop stand-in first on PATH recording every alert, and
// in an editing session that writes the script out.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/desktop_standin.h"
#include "host/frame_buffer.h"
#include "model/param_ids.h"
#include "overlay_export/shape_layer_script_body.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace {

TEST(ShapeLayerPress, NoDataAlertUntilARenderFindsChainsThenOneScriptAndNoAlert) {
  std::unique_ptr<DesktopStandIn> desktop = OpenDesktopStandIn(BuiltProgramDirectory());
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::vector<std::string> noData = {
      "alert: Spindrel: Create Shape Layer: No path data cached.\\n\\nPreview at least one frame with the Spindrel "
      "effect active first."};
  const auto press = [&] {
    AnswerPromptsWith(*desktop, "");
    EXPECT_EQ(PressButton(*host, PARAM_CREATE_SHAPE_LAYER), kHostErrorNone);
    std::vector<std::string> shown;
    for (const DesktopEvent& event : TakeDesktopEvents(*desktop)) {
      const char* kind = event.kind == DesktopEvent::Kind::kAlert ? "alert: " : "not an alert: ";
      shown.push_back(kind + event.title + ": " + event.text);
    }
    return shown;
  };
  const auto render = [&](const RgbaImage& image) {
    OwnedFrame input = FrameFromImage(image, 8);
    OwnedFrame output = MakeFrame(image.width, image.height, 8);
    ASSERT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), 0), kHostErrorNone);
  };

  EXPECT_EQ(press(), noData) << "before any render";
  render(RgbaImage{64, 48, std::vector<uint8_t>(64 * 48 * 4, 0)});
  EXPECT_EQ(press(), noData) << "after a render without chains";
  EXPECT_TRUE(ReadSuiteLog(host->suites, &SuiteServices::scripts).empty());
  EXPECT_TRUE(ReadSuiteCounts(host->suites).empty()) << "no suite is acquired without data";

  render(TextInkImage(160, 64, 5));
  EXPECT_TRUE(press().empty());
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scripts).size(), 1u);
}

TEST(ShapeLayerPress, SessionWritesTheScriptOfTheLastPress) {
  const ScratchDirectory scratch("shape-layer-session");
  const std::string directory = scratch.Path();
  const std::string script = directory + "/letters.jsx";
  std::istringstream actions("script " + script + "\nrender " + directory + "/frame.png\n" +
                             "press Create Shape Layer\nscript " + script + "\n");
  std::ostringstream out;
  std::ostringstream err;
  const int code = RunCommandLine({"session", SamplePath(), "--set", "Line Width=7"}, BuiltProgramDirectory(),
                                  {.out = &out, .err = &err, .in = &actions});
  EXPECT_EQ(code, 1) << "the first line fails";
  EXPECT_EQ(err.str(),
            "spindrel: line 1: script: the effect has handed the host no script yet: render, then press Create "
            "Shape Layer\n");

  const std::string text = ReadText(script);
  const std::string size = std::to_string(text.size());
  std::vector<std::string> lines;
  std::istringstream printed(out.str());
  for (std::string line; std::getline(printed, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << out.str();
  EXPECT_EQ(lines[1], "press: nothing written; a script of " + size + " bytes for the host (script OUT.jsx)");
  EXPECT_EQ(lines[2], "script: " + script + ", " + size + " bytes");
  EXPECT_EQ(text.rfind("$.global.SpindrelSetup = function() {\nvar data={paths:[{closed:false,points:[[", 0), 0u);
  const std::string tail = "var strokeColor=[1.0000,1.0000,1.0000];\nvar strokeWidth=7;\n" +
                           std::string(kShapeLayerScriptBody);
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
