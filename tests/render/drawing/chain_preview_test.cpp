#include "render/drawing/chain_preview.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/drawing/chain_labels.h"
#include "render/drawing/draw_primitives.h"
#include "render/drawing/preview_palette.h"
#include "tests/render/render_test_helpers.h"

namespace {

const RgbaFloat kWhite{1, 1, 1, 1}, kBlack{0, 0, 0, 1};

// A preview pass over a grey frame of `depth`; `background` is how the grey reads back.
struct Preview {
  TestFrame output;
  RgbaFloat background;
  DrawScene scene;
  RenderSettings settings;

  explicit Preview(int32_t width, int32_t height, PixelDepth depth = PixelDepth::k8Bit)
      : output(MakeTestFrame(width, height, depth)) {
    FillFrame(output.frame, {0.2f, 0.2f, 0.2f, 0.4f});
    background = GetPixelFloat(output.frame, 0, 0);
    settings.previewChains = true;
    settings.lineRadius = 0;
  }
  bool Draw() { return DrawChainPreview(settings, scene.State(output.frame, &output.frame)); }
  // The palette colour as it reads back at this depth.
  RgbaFloat Colour(size_t position) const {
    TestFrame probe = MakeTestFrame(1, 1, FramePixelDepth(output.frame));
    FillDiscRgb(probe.frame, 0, 0, 0, UnpackColor(PreviewColorAt(position)));
    return GetPixelFloat(probe.frame, 0, 0);
  }
  bool At(int32_t x, int32_t y, RgbaFloat want) const { return SamePixel(GetPixelFloat(output.frame, x, y), want); }
};

TEST(ChainPreview, PaletteFollowsThePositionModuloTwelveAtEveryDepth) {
  EXPECT_EQ(PreviewPalette[0], PackColor(80, 80, 255));
  EXPECT_EQ(PreviewPalette[11], PackColor(200, 255, 100));
  for (PixelDepth depth : kAllDepths) {
    Preview p(200, 20 + 14 * 25, depth);
    for (int32_t c = 0; c < 14; ++c) p.scene.chains.push_back(ChainThrough({{100, 20 + c * 25}, {190, 20 + c * 25}}));
    p.Draw();
    for (int32_t c = 0; c < 14; ++c) {
      EXPECT_TRUE(p.At(150, 20 + c * 25, p.Colour(c % 12))) << c;
      EXPECT_TRUE(p.At(150, 21 + c * 25, p.background)) << c;  // one-pixel line
    }
  }
}

TEST(ChainPreview, StartDotsLabelsAndTheCount) {
  Preview p(120, 100, PixelDepth::k16Bit);
  EXPECT_FALSE(p.Draw());  // no chains: not even the count
  EXPECT_TRUE(p.At(8, 8, p.background));
  p.settings.lineRadius = 1;
  // The second chain has no points: no line, dot or number, but it counts and keeps its
  // palette slot. The third has a single point: dot and number only.
  p.scene.chains = {ChainThrough({{60, 60}, {110, 60}}), ChainRecord{}, ChainThrough({{60, 90}}),
                    ChainThrough({{30, 40}, {30, 70}})};
  EXPECT_TRUE(p.Draw());
  EXPECT_TRUE(p.At(57, 60, kWhite) && p.At(56, 60, p.background));             // first dot: radius 1 + 2
  EXPECT_TRUE(p.At(80, 61, p.Colour(0)) && p.At(80, 62, p.background));        // line radius 1
  EXPECT_TRUE(p.At(62, 90, p.Colour(2)) && p.At(63, 90, p.background));        // other dots: radius 1 + 1
  // Count 4 at (8, 8), scale 3: glyph 101/101/111/001/001 in 3 x 3 cells, with its outline.
  EXPECT_TRUE(p.At(8, 8, kWhite) && p.At(10, 10, kWhite) && p.At(16, 8, kWhite) && p.At(7, 7, kBlack));
  EXPECT_TRUE(p.At(11, 9, kBlack) && p.At(12, 12, p.background) && p.At(20, 8, p.background));
  // Chain 1's "1" at (68, 44), scale 2, inks column 1: x 70 to 71. Chain 3's "3" at (68, 74).
  EXPECT_TRUE(p.At(70, 44, kWhite) && p.At(71, 53, kWhite) && p.At(69, 44, kBlack) && p.At(68, 44, p.background));
  EXPECT_TRUE(p.At(68, 74, kWhite));
}

TEST(ChainPreview, MatchOriginalWidthTakesTheFieldAtTheTruncatedMidpoint) {
  Preview p(60, 40, PixelDepth::k32BitFloat);
  p.settings.lineRadius = 1;
  p.settings.matchOriginalWidth = true;
  p.settings.widthScale = 1.5f;
  p.scene.field = {std::vector<float>(60 * 40, 2.0f), 60, 40};  // radius (int)(1.5 x 2 + 0.5) = 3
  p.scene.field.values[30 * 60 + 0] = 6.0f;                      // radius 9 at (0, 30)
  p.scene.chains = {ChainThrough({{30, 25}, {40, 25}, {40, 25}}), ChainThrough({{-1, 30}, {0, 30}}),
                    ChainThrough({{-3, 10}, {-2, 10}})};
  p.Draw();
  EXPECT_TRUE(p.At(35, 28, p.Colour(0)) && p.At(35, 29, p.background));
  EXPECT_TRUE(p.At(0, 39, p.Colour(1)));  // (-1 + 0) / 2 truncates to 0, inside the mask
  EXPECT_TRUE(p.At(0, 8, p.background));  // midpoint (-2, 10) outside the mask: radius 1
}

}  // namespace
