// Editing sessions end to end: spindrel session in this process, driving
// the built module through the reference host's windows, clicks, buttons and
// undo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "host/frame_resample.h"
#include "host/param_value_text.h"
#include "host/text_join.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/glyph_chains.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

std::string WriteInput(const ScratchDirectory& scratch, const RgbaImage& image, const std::string& name) {
  const std::string path = scratch.File(name);
  std::string error;
  EXPECT_TRUE(WritePngFile(path, image, error)) << error;
  return path;
}

// The chains a render of `image` (sampled at 1/downsample) traces with the
// given values, from the module's own analysis stages; the host is closed
// again before a session opens its own.
std::vector<ChainRecord> ChainsOf(const RgbaImage& image, const std::vector<std::string>& assignments,
                                  int32_t downsample = 1) {
  auto host = OpenSetUpHost();
  std::string error;
  for (const std::string& assignment : assignments) {
    EXPECT_TRUE(ApplyParamAssignment(host->instance, assignment, error)) << error;
  }
  OwnedFrame input = DownsampleFrame(FrameFromImage(image, 8), downsample);
  return AnalysedChains(*host, FrameView(input));
}

// Where a window shows the analysed layer: scaled by the draft factor, then
// offset into the composition.
struct View {
  int32_t scale = 1;
  int32_t offsetX = 0;
  int32_t offsetY = 0;
  IntPoint Of(IntPoint p) const { return {p.x * scale + offsetX, p.y * scale + offsetY}; }
};

std::string ClickLine(const char* action, const View& view, const ChainRecord& chain) {
  const IntPoint at = view.Of(PointOn(chain));
  return JoinText({action, " ", std::to_string(at.x), " ", std::to_string(at.y), "\n"});
}

const uint8_t* PixelAt(const RgbaImage& image, int32_t x, int32_t y) {
  return image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
}

double DistanceToChain(const View& view, const ChainRecord& chain, double x, double y) {
  double best = INFINITY;
  for (size_t k = 1; k < chain.points.size(); ++k) {
    const IntPoint a = view.Of(chain.points[k - 1]);
    const IntPoint b = view.Of(chain.points[k]);
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    best = std::min(best, std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)));
  }
  return best;
}

// The overlay in `window` over `frame` (shown through `view`): orange on
// every point of the `picked` chains, and nothing beyond the 3 px pen's
// reach (1.5 px plus a pixel of anti-aliasing) around them.
void ExpectOverlayExactlyOver(const RgbaImage& window, const RgbaImage& frame, const View& view,
                              const std::vector<ChainRecord>& picked) {
  size_t stray = 0;
  size_t changed = 0;
  for (int32_t y = 0; y < window.height; ++y) {
    for (int32_t x = 0; x < window.width; ++x) {
      const int32_t fx = (x - view.offsetX) / view.scale;
      const int32_t fy = (y - view.offsetY) / view.scale;
      const bool inside = x >= view.offsetX && y >= view.offsetY && fx < frame.width && fy < frame.height;
      static const uint8_t kNothing[4] = {0, 0, 0, 0};
      const uint8_t* shown = inside ? PixelAt(frame, fx, fy) : kNothing;
      if (std::equal(shown, shown + 4, PixelAt(window, x, y))) continue;
      ++changed;
      double nearest = INFINITY;
      for (const ChainRecord& chain : picked) nearest = std::min(nearest, DistanceToChain(view, chain, x, y));
      stray += nearest > 2.3;
    }
  }
  EXPECT_GT(changed, 0u);
  EXPECT_EQ(stray, 0u);
  for (const ChainRecord& chain : picked) {
    for (const IntPoint& point : chain.points) {
      const IntPoint at = view.Of(point);
      const uint8_t* pixel = PixelAt(window, at.x, at.y);
      EXPECT_GT(pixel[0], 240) << at.x << "," << at.y;
      EXPECT_NEAR(pixel[1], 128, 14) << at.x << "," << at.y;
      EXPECT_LT(pixel[2], 30) << at.x << "," << at.y;
    }
  }
}

CliRun RunSession(const ScratchDirectory& scratch, const std::vector<std::string>& args, const std::string& actions) {
  const std::string file = scratch.File("actions.txt");
  std::ofstream(file) << actions;
  std::vector<std::string> command = {"session", "--actions", file};
  command.insert(command.end(), args.begin(), args.end());
  return RunCli(command);
}

}  // namespace

// Pick the stem, see it in the window, add the bar, blend them into one
// chain, and undo the blend: in a composition where the layer sits at 40, 30.
TEST(SessionEditing, PickedChainsShowInTheWindowBlendIntoOneAndUndoRestoresTheSlots) {
  const RgbaImage image = GlyphImage();
  const std::vector<ChainRecord> chains = ChainsOf(image, {});
  ASSERT_EQ(chains.size(), 3u);
  const std::vector<ChainRecord> blended =
      ChainsOf(image, {"Slot 1 - Chain A (0=off)=1", "Slot 1 - Chain B (0=off)=3"});
  EXPECT_EQ(blended.size(), 2u);
  const ScratchDirectory scratch("session-glyph");
  const std::string input = WriteInput(scratch, image, "glyph.png");
  const std::string frame = scratch.File("frame.png");
  const std::string picked = scratch.File("picked.png");
  const std::string joined = scratch.File("joined.png");
  const View view{1, 40, 30};
  const std::string actions = "render " + frame + "\n" + ClickLine("click", view, chains[2]) + "window " + picked +
                              "\n" + ClickLine("shift-click", view, chains[0]) + "press Blend Selected\n" +
                              ClickLine("click", view, chains[2]) + "window " + joined + "\n" +
                              ClickLine("click", view, chains[1]) + "undo\n" + ClickLine("click", view, chains[2]);
  const CliRun run = RunSession(scratch, {input, "--comp-size", "300x200", "--layer-offset", "40,30"}, actions);
  EXPECT_EQ(run.code, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 10u) << run.out;
  EXPECT_EQ(lines[1], "click: selection 3");
  EXPECT_EQ(lines[3], "shift-click: selection 3 1");
  EXPECT_EQ(lines[4],
            "press: Slot 1 - Chain A (0=off) = 1, Slot 1 - Chain B (0=off) = 3; "
            "undo group \"Spindrel: Blend Chains\"");
  // Blended, the stem belongs to chain 1 and the upright bar is chain 2.
  EXPECT_EQ(lines[5], "click: selection 1");
  EXPECT_EQ(lines[7], "click: selection 2");
  EXPECT_EQ(lines[8],
            "undo: \"Spindrel: Blend Chains\": Slot 1 - Chain A (0=off) = 0, Slot 1 - Chain B (0=off) = 0");
  EXPECT_EQ(lines[9], "click: selection 3");

  const RgbaImage rendered = ReadPng(frame);
  ExpectOverlayExactlyOver(ReadPng(picked), rendered, view, {chains[2]});
  // The blended chain is drawn in one piece over what were the bar and the stem.
  ExpectOverlayExactlyOver(ReadPng(joined), rendered, view, {chains[0], chains[2]});
}

// Part-way through the reveal only a chain's start is drawn; reversed, its
// end; undone, the first frame again, byte for byte. Set Order, which opens
// no undo group, is undone as a step named after its button.
TEST(SessionEditing, ReversingFlipsTheNextRenderAndUndoBringsItBack) {
  RgbaImage image{120, 40, std::vector<uint8_t>(120 * 40 * 4, 0)};
  FillRect(image, 10, 15, 110, 21);
  const std::vector<ChainRecord> chains = ChainsOf(image, {});
  ASSERT_EQ(chains.size(), 1u);
  const ScratchDirectory scratch("session-bar");
  const std::string input = WriteInput(scratch, image, "bar.png");
  const std::string forward = scratch.File("forward.png");
  const std::string reversed = scratch.File("reversed.png");
  const std::string undone = scratch.File("undone.png");
  const std::string actions = "set Reveal Progress (%)=30\nrender " + forward + "\n" +
                              ClickLine("click", View{}, chains[0]) + "press Reverse Selected\nrender " + reversed +
                              "\nundo\nrender " + undone + "\nset Target Position (1-99)=1\n" +
                              ClickLine("click", View{}, chains[0]) + "press Set Order\nundo\n";
  const CliRun run = RunSession(scratch, {input}, actions);
  EXPECT_EQ(run.code, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 11u) << run.out;
  EXPECT_EQ(lines[3], "press: Rev Slot 1 (0=off) = 1; undo group \"Spindrel: Reverse Chains\"");
  EXPECT_EQ(lines[5], "undo: \"Spindrel: Reverse Chains\": Rev Slot 1 (0=off) = 0");
  // Set Order opens no undo group: its step is named after the button.
  EXPECT_EQ(lines[9], "press: Draw Order = data; undo step \"Set Order\" (no undo group)");
  EXPECT_EQ(lines[10], "undo: \"Set Order\": Draw Order = data");
  const IntPoint start = chains[0].points.front();
  const IntPoint end = chains[0].points.back();
  const RgbaImage before = ReadPng(forward);
  const RgbaImage after = ReadPng(reversed);
  EXPECT_GT(PixelAt(before, start.x, start.y)[3], 0);
  EXPECT_EQ(PixelAt(before, end.x, end.y)[3], 0);
  EXPECT_EQ(PixelAt(after, start.x, start.y)[3], 0);
  EXPECT_GT(PixelAt(after, end.x, end.y)[3], 0);
  EXPECT_EQ(ReadPng(undone).pixels, before.pixels);
}

// At 1/2 the chains are traced at half size: clicks in full-size window
// pixels pick them, and the window draws them scaled back up.
TEST(SessionEditing, DraftRendersPickAndDrawTheHalfSizeChains) {
  const RgbaImage image = GlyphImage(2);
  const std::vector<ChainRecord> chains = ChainsOf(image, {}, 2);
  ASSERT_EQ(chains.size(), 3u);
  const ScratchDirectory scratch("session-draft");
  const std::string input = WriteInput(scratch, image, "draft.png");
  const std::string frame = scratch.File("frame.png");
  const std::string window = scratch.File("window.png");
  const View view{2, 10, 20};
  const std::string actions = "render " + frame + "\n" + ClickLine("click", view, chains[1]) +
                              ClickLine("shift-click", view, chains[2]) + "window " + window + "\n";
  const CliRun run =
      RunSession(scratch, {input, "--downsample", "2", "--layer-offset", "10,20", "--comp-size", "420x230"}, actions);
  EXPECT_EQ(run.code, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_EQ(lines[0], "render: " + frame + ", 200x100 at 0 s");
  EXPECT_EQ(lines[2], "shift-click: selection 2 3");
  ExpectOverlayExactlyOver(ReadPng(window), ReadPng(frame), view, {chains[1], chains[2]});
}

// Chain numbers past the sliders' 99 go into the slots unlimited, and the
// project the session saves opens again in `render --project` to the same
// frame. Chain 290 does not fit the draw order's bytes: Set Order writes
// nothing and says so.
TEST(SessionEditing, ChainsPastNinetyNineSaveAndReopenToTheSameFrame) {
  RgbaImage image{700, 190, std::vector<uint8_t>(700 * 190 * 4, 0)};
  for (int32_t row = 0; row < 15; ++row) {
    for (int32_t column = 0; column < 20; ++column) {
      FillRect(image, 10 + 34 * column, 8 + 12 * row, 36 + 34 * column, 12 + 12 * row);
    }
  }
  // Every bar its own chain; chain 150 part-drawn, so that its reversal shows.
  const std::vector<std::string> values = {"Gap Close (px)=0", "Min Chain Length=0", "Reveal Progress (%)=49.9"};
  const std::vector<ChainRecord> chains = ChainsOf(image, values);
  ASSERT_EQ(chains.size(), 300u);
  const ScratchDirectory scratch("session-many");
  const std::string input = WriteInput(scratch, image, "bars.png");
  std::vector<std::string> options = {input};
  for (const std::string& value : values) options.insert(options.end(), {"--set", value});
  const auto pick = [&](const char* action, size_t number) { return ClickLine(action, View{}, chains[number - 1]); };
  const struct {
    std::string actions;
    std::vector<std::string> presses;
  } cases[] = {
      {pick("click", 290) + pick("shift-click", 150) + pick("shift-click", 200) +
           "set Target Position (1-99)=1\npress Set Order\npress Reverse Selected\n",
       {"press: nothing written; chain 290 does not fit the draw order (chains 1 to 255)",
        "press: Rev Slot 1 (0=off) = 150, Rev Slot 2 (0=off) = 200, Rev Slot 3 (0=off) = 290; "
        "undo group \"Spindrel: Reverse Chains\""}},
      {pick("click", 150) + pick("shift-click", 200) + "press Blend Selected\n",
       {"press: Slot 1 - Chain A (0=off) = 150, Slot 1 - Chain B (0=off) = 200; undo group \"Spindrel: Blend Chains\""}},
  };
  const std::string plain = scratch.File("plain.png");
  ASSERT_EQ(RunCli({"render", input, "-o", plain, "--set", values[0], "--set", values[1], "--set", values[2]}).err, "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.presses.back());
    const std::string edited = scratch.File("edited.png");
    const std::string reopened = scratch.File("reopened.png");
    const std::string project = scratch.File("project.json");
    std::vector<std::string> args = options;
    args.insert(args.end(), {"--save-project", project});
    const CliRun run = RunSession(scratch, args, c.actions + "render " + edited + "\n");
    EXPECT_EQ(run.code, 0) << run.err;
    std::vector<std::string> presses;
    for (const std::string& line : Lines(run.out)) {
      if (line.rfind("press: ", 0) == 0) presses.push_back(line);
    }
    EXPECT_EQ(presses, c.presses);
    const CliRun reopen = RunCli({"render", input, "-o", reopened, "--project", project});
    ASSERT_EQ(reopen.err, "");
    EXPECT_EQ(ReadPng(reopened).pixels, ReadPng(edited).pixels);
    EXPECT_NE(ReadPng(edited).pixels, ReadPng(plain).pixels);
  }
}
