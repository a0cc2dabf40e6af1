#include "render/chain_preview_pass.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/chain_labels.h"
#include "render/draw_primitives.h"
#include "render/pixel_access.h"
#include "render/preview_palette.h"
#include "tests/render/test_frame.h"

namespace {

constexpr RgbaFloat kBackground{0.2f, 0.2f, 0.2f, 0.4f};

ChainRecord ChainThrough(std::initializer_list<IntPoint> points) {
  ChainRecord chain;
  chain.points = points;
  return chain;
}

struct PreviewScene {
  RenderSettings settings;
  std::vector<ChainRecord> chains;
  std::vector<int32_t> labels;
  DistanceField field;
  int32_t maskWidth = 0;
  int32_t maskHeight = 0;

  bool Draw(const HostFrame& output) {
    labels.clear();
    for (size_t i = 0; i < chains.size(); ++i) labels.push_back(static_cast<int32_t>(i + 1));
    RenderFrameState state;
    state.output = const_cast<HostFrame*>(&output);
    state.source = &output;
    state.chains = &chains;
    state.labels = &labels;
    state.field = &field;
    state.maskWidth = maskWidth == 0 ? output.width : maskWidth;
    state.maskHeight = maskHeight == 0 ? output.height : maskHeight;
    return DrawChainPreviewPasses(settings, state);
  }
};

PreviewScene Scene() {
  PreviewScene scene;
  scene.settings.previewChains = true;
  scene.settings.lineRadius = 0;
  return scene;
}

// Colour of a packed palette entry as it reads back from a frame of `depth`.
RgbaFloat Expected(const HostFrame& frame, uint32_t packed) {
  TestFrame probe = MakeTestFrame(1, 1, FramePixelDepth(frame));
  const HostPixel8 c = UnpackColor(packed);
  SetPixelFloat(probe.frame, 0, 0, c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f, 1.0f);
  return GetPixelFloat(probe.frame, 0, 0);
}

void ExpectPixel(const HostFrame& frame, int32_t x, int32_t y, RgbaFloat want) {
  const RgbaFloat p = GetPixelFloat(frame, x, y);
  EXPECT_EQ(p.red, want.red) << x << "," << y;
  EXPECT_EQ(p.green, want.green) << x << "," << y;
  EXPECT_EQ(p.blue, want.blue) << x << "," << y;
  EXPECT_EQ(p.alpha, want.alpha) << x << "," << y;
}

TEST(ChainPreview, PaletteFollowsThePositionModuloTwelveAtEveryDepth) {
  EXPECT_EQ(PreviewPalette[0], 0xFF5050FFu);  // #5050FF, alpha in the lowest byte
  EXPECT_EQ(PreviewColorAt(11), PackColor(200, 255, 100));
  EXPECT_EQ(PreviewColorAt(12), PreviewPalette[0]);
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(200, 20 + 14 * 25, depth);
    FillFrame(f.frame, kBackground);
    PreviewScene scene = Scene();
    for (int32_t c = 0; c < 14; ++c) scene.chains.push_back(ChainThrough({{100, 20 + c * 25}, {190, 20 + c * 25}}));
    scene.Draw(f.frame);
    for (int32_t c = 0; c < 14; ++c) {
      ExpectPixel(f.frame, 150, 20 + c * 25, Expected(f.frame, PreviewPalette[c % 12]));
      ExpectPixel(f.frame, 150, 21 + c * 25, GetPixelFloat(f.frame, 199, 0));  // one-pixel line
    }
    // Chain 13 takes the colour of chain 1; chain 12 is #C8FF64.
    ExpectPixel(f.frame, 150, 20 + 12 * 25, Expected(f.frame, PackColor(80, 80, 255)));
    ExpectPixel(f.frame, 150, 20 + 11 * 25, Expected(f.frame, PackColor(200, 255, 100)));
  }
}

TEST(ChainPreview, StartDotsAreWhiteAndLargerForTheFirstChain) {
  TestFrame f = MakeTestFrame(120, 100, PixelDepth::k8Bit);
  FillFrame(f.frame, kBackground);
  const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
  PreviewScene scene = Scene();
  scene.settings.lineRadius = 1;
  scene.chains = {ChainThrough({{40, 40}, {110, 40}}), ChainThrough({{40, 80}, {110, 80}})};
  scene.Draw(f.frame);
  const RgbaFloat white{1.0f, 1.0f, 1.0f, 1.0f};
  ExpectPixel(f.frame, 37, 40, white);  // radius lineRadius + 2
  ExpectPixel(f.frame, 36, 40, background);
  ExpectPixel(f.frame, 40, 40, white);
  ExpectPixel(f.frame, 60, 41, Expected(f.frame, PreviewPalette[0]));  // the line itself has radius 1
  ExpectPixel(f.frame, 60, 42, background);
  ExpectPixel(f.frame, 38, 80, Expected(f.frame, PreviewPalette[1]));  // radius lineRadius + 1
  ExpectPixel(f.frame, 37, 80, background);
}

TEST(ChainPreview, NumbersSitBesideTheStartAndTheCountInTheCorner) {
  TestFrame f = MakeTestFrame(120, 100, PixelDepth::k16Bit);
  FillFrame(f.frame, kBackground);
  const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
  PreviewScene scene = Scene();
  // The second chain has no points: no line, dot or number, but it counts and
  // keeps its palette slot. The third has a single point: dot and number only.
  scene.chains = {ChainThrough({{60, 60}, {110, 60}}), ChainRecord{}, ChainThrough({{60, 90}}),
                  ChainThrough({{30, 40}, {30, 70}})};
  scene.Draw(f.frame);
  const RgbaFloat white{1.0f, 1.0f, 1.0f, 1.0f};
  const RgbaFloat black{0.0f, 0.0f, 0.0f, 1.0f};

  // Count 4 at (8, 8), scale 3: glyph 101/101/111/001/001 in 3 × 3 cells.
  ExpectPixel(f.frame, 8, 8, white);
  ExpectPixel(f.frame, 10, 10, white);
  ExpectPixel(f.frame, 7, 7, black);   // the outline reaches one pixel up and left
  ExpectPixel(f.frame, 11, 9, black);  // the blank middle cell of the top row, next to ink
  ExpectPixel(f.frame, 12, 12, background);
  ExpectPixel(f.frame, 16, 8, white);  // third column starts 6 px right
  ExpectPixel(f.frame, 20, 8, background);

  // Chain 1 at (60, 60): its "1" at (68, 44) scale 2 inks column 1, x 70 to 71.
  ExpectPixel(f.frame, 70, 44, white);
  ExpectPixel(f.frame, 71, 53, white);
  ExpectPixel(f.frame, 69, 44, black);
  ExpectPixel(f.frame, 68, 44, background);
  // Chain 3 with one point at (60, 90): "3" at (68, 74), dot of radius 1 in palette colour 2.
  ExpectPixel(f.frame, 68, 74, white);
  ExpectPixel(f.frame, 61, 90, Expected(f.frame, PreviewPalette[2]));
  ExpectPixel(f.frame, 62, 90, background);
  // Chain 4 is drawn in palette colour 3.
  ExpectPixel(f.frame, 30, 60, Expected(f.frame, PreviewPalette[3]));
}

TEST(ChainPreview, MatchOriginalWidthTakesTheFieldAtTheTruncatedMidpoint) {
  TestFrame f = MakeTestFrame(60, 40, PixelDepth::k32BitFloat);
  FillFrame(f.frame, kBackground);
  const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
  PreviewScene scene = Scene();
  scene.settings.lineRadius = 1;
  scene.settings.matchOriginalWidth = true;
  scene.settings.widthScale = 1.5f;
  scene.field.assign(60 * 40, 2.0f);  // radius (int)(1.5 * 2 + 0.5) = 3
  scene.field[30 * 60 + 0] = 6.0f;    // radius 9 at (0, 30)
  // Second point far right so its dot and label stay away from the probes.
  scene.chains = {ChainThrough({{30, 25}, {40, 25}, {40, 25}}), ChainThrough({{-1, 30}, {0, 30}}),
                  ChainThrough({{-3, 10}, {-2, 10}})};
  scene.Draw(f.frame);
  const RgbaFloat first = Expected(f.frame, PreviewPalette[0]);
  ExpectPixel(f.frame, 35, 28, first);
  ExpectPixel(f.frame, 35, 29, background);
  // (-1 + 0) / 2 truncates to 0, inside the mask: radius 9 reaches row 39.
  ExpectPixel(f.frame, 0, 39, Expected(f.frame, PreviewPalette[1]));
  // Midpoint (-2, 10) lies outside the mask: lineRadius 1.
  ExpectPixel(f.frame, 0, 10, background);
  ExpectPixel(f.frame, 0, 8, background);
}

TEST(ChainPreview, DrawsNothingWithoutChainsOrWhenOff) {
  TestFrame f = MakeTestFrame(40, 30, PixelDepth::k8Bit);
  FillFrame(f.frame, kBackground);
  const auto before = f.storage;
  PreviewScene scene = Scene();
  EXPECT_FALSE(scene.Draw(f.frame));  // no chains: not even the count
  EXPECT_EQ(f.storage, before);
  scene.chains = {ChainThrough({{5, 20}, {30, 20}})};
  scene.settings.previewChains = false;
  EXPECT_FALSE(scene.Draw(f.frame));
  EXPECT_EQ(f.storage, before);
  scene.settings.previewChains = true;
  EXPECT_TRUE(scene.Draw(f.frame));
}

}  // namespace
