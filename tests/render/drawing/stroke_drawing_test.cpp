#include "render/drawing/stroke_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include <cmath>

#include "tests/render/render_test_helpers.h"

namespace {

// Opaque white at a Line Width.
RenderSettings Opaque(int32_t lineWidth) {
  RenderSettings s;
  s.lineRadius = lineWidth - 1;
  return s;
}

// A drawing into a float frame unless told otherwise, without a source unless one is given.
struct Drawing {
  TestFrame output;
  DrawScene scene;
  const HostFrame* source = nullptr;

  Drawing(int32_t w, int32_t h, PixelDepth depth = PixelDepth::k32BitFloat) : output(MakeTestFrame(w, h, depth)) {}
  Drawing& Draw(const RenderSettings& s) {
    DrawRenderOutput(s, scene.State(output.frame, source));
    return *this;
  }
  RgbaFloat At(int32_t x, int32_t y) const { return GetPixelFloat(output.frame, x, y); }
  float Alpha(int32_t x, int32_t y) const { return At(x, y).alpha; }
  bool Blank() const {
    const HostFrame& f = output.frame;
    return output.storage == MakeTestFrame(f.width, f.height, FramePixelDepth(f)).storage;
  }
};

TEST(StrokeDrawing, DashesTenOnTenOffAlongAFiftyPixelChainRunOnIntoTheNext) {
  Drawing d(64, 30);
  d.scene.chains = {StraightChain(5, 10, 50, 50), StraightChain(5, 25, 35, 35)};
  RenderSettings s = Opaque(3);  // radius 2
  s.dashesEnabled = true;
  s.dashLength = 10.0f;
  s.dashPeriod = 20.0f;
  d.Draw(s);
  // Dashes at 5-15, 25-35 and 45-55 with round ends of radius 2, half a pixel off the pixel centres.
  EXPECT_EQ((std::vector{d.Alpha(10, 10), d.Alpha(20, 10), d.Alpha(30, 10), d.Alpha(50, 10)}),
            (std::vector{1.0f, 0.0f, 1.0f, 1.0f}));
  EXPECT_EQ((std::vector{d.Alpha(17, 10), d.Alpha(42, 10)}), (std::vector{0.0f, 0.0f}));
  EXPECT_NEAR(d.Alpha(16, 10) + d.Alpha(43, 10), 2 * (2.5f - std::sqrt(1.5f * 1.5f + 0.25f)), 1e-5f);
  // 50 px came before the second chain: it starts in a gap until x = 15.
  EXPECT_EQ((std::vector{d.Alpha(10, 25), d.Alpha(20, 25), d.Alpha(30, 25)}), (std::vector{0.0f, 1.0f, 0.0f}));
}

TEST(StrokeDrawing, ASmallerSourceIsReadOnlyInsideItForTheRevealAndTheBase) {
  Drawing d(16, 16, PixelDepth::k8Bit);  // a 4 x 4 source, chains traced on a larger map
  TestFrame source = MakeTestFrame(4, 4, PixelDepth::k16Bit);
  FillFrame(source.frame, {1.0f, 0.0f, 0.0f, 1.0f});
  d.source = &source.frame;
  d.scene.skeleton = ByteMask{std::vector<uint8_t>(48 * 48, 0), 48, 48};
  d.scene.field = {std::vector<float>(48 * 48, 2.0f), 48, 48};
  d.scene.chains = {ChainThrough({{1, 1}, {40, 40}}), ChainThrough({{30, 2}, {2, 30}})};
  RenderSettings s = Opaque(4);
  s.revealOriginal = s.matchOriginalWidth = true;
  s.roughnessAmount = 2.0f;
  for (int pass = 0; pass < 3; ++pass) {
    if (pass == 1) {  // without chains: discs copied from the source
      d.scene.chains.clear();
      for (int32_t i : {3, 8, 30}) d.scene.skeleton.cells[i * 48 + i] = 1;
    }
    s.compositeOnOriginal = pass == 2;  // the source as the base
    d.Draw(s);
    for (int32_t i = 0; i < 16 * 16; ++i) {
      const RgbaFloat p = d.At(i % 16, i / 16);
      ASSERT_TRUE(i % 16 < 4 && i < 64 ? p.red == p.alpha && p.green == 0.0f : p.alpha == 0.0f) << i;
    }
    EXPECT_EQ(pass == 0 ? d.Alpha(2, 2) : pass == 1 ? d.Alpha(3, 3) : d.Alpha(0, 0), 1.0f);
  }
  s.compositeOnOriginal = false;  // the earlier drawing cleared
  d.scene.skeleton.cells.assign(48 * 48, 0);
  EXPECT_TRUE(d.Draw(s).Blank());
}

}  // namespace
