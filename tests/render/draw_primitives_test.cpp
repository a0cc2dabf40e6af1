#include "render/draw_primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "render/pixel_access.h"
#include "render/stroke_layer.h"
#include "tests/render/test_frame.h"

namespace {

constexpr HostPixel8 kWhite{255, 255, 255, 255};

StrokeLayer LayerFor(const HostFrame& frame) {
  StrokeLayer layer;
  ResetRenderBuffers(layer, static_cast<size_t>(frame.width) * frame.height);
  return layer;
}

float CoverageAt(const StrokeLayer& layer, const HostFrame& frame, int32_t x, int32_t y) {
  return layer.coverage[static_cast<size_t>(y) * frame.width + x];
}

void DrawDisc(const HostFrame& frame, float x, float y, float r, StrokeLayer* layer, float fade = 0.0f) {
  DrawCapsuleSegment(frame, frame, x, y, x, y, r, r, kWhite, false, fade, 0.0f, 0.02f, layer);
}

TEST(CapsuleSegment, ZeroLengthCapsuleIsAnAntiAliasedDisc) {
  TestFrame f = MakeTestFrame(24, 24, PixelDepth::k8Bit);
  StrokeLayer layer = LayerFor(f.frame);
  DrawDisc(f.frame, 10.5f, 10.5f, 2.0f, &layer);
  EXPECT_EQ(CoverageAt(layer, f.frame, 10, 10), 1.0f);
  EXPECT_EQ(CoverageAt(layer, f.frame, 12, 10), 0.5f);  // centre 2.0 px away
  EXPECT_EQ(CoverageAt(layer, f.frame, 13, 10), 0.0f);  // centre 2.5 px away: untouched
  EXPECT_EQ(CoverageAt(layer, f.frame, 10, 8), 0.5f);
  EXPECT_EQ(layer.alpha[static_cast<size_t>(10) * 24 + 13], 0.0f);

  // Without a layer the same coverage is blended straight into the frame.
  DrawDisc(f.frame, 10.5f, 10.5f, 2.0f, nullptr);
  EXPECT_EQ(GetPixelFloat(f.frame, 10, 10).alpha, 1.0f);
  EXPECT_NEAR(GetPixelFloat(f.frame, 12, 10).alpha, 0.5f, 0.003f);
  EXPECT_EQ(GetPixelFloat(f.frame, 13, 10).alpha, 0.0f);
}

TEST(CapsuleSegment, CoverageMatchesDistanceToTheSegmentAtEveryDepth) {
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(40, 20, depth);
    StrokeLayer layer = LayerFor(f.frame);
    const float x0 = 5.2f, y0 = 6.7f, x1 = 31.9f, y1 = 12.1f, r0 = 1.5f, r1 = 4.0f;
    DrawCapsuleSegment(f.frame, f.frame, x0, y0, x1, y1, r0, r1, kWhite, false, 0.0f, 0.0f, 0.02f, &layer);
    for (int32_t y = 0; y < 20; ++y) {
      for (int32_t x = 0; x < 40; ++x) {
        const double px = x + 0.5, py = y + 0.5, dx = x1 - x0, dy = y1 - y0;
        double t = ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy);
        t = std::clamp(t, 0.0, 1.0);
        const double dist = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
        const double expected = std::clamp(r0 + (r1 - r0) * t + 0.5 - dist, 0.0, 1.0);
        ASSERT_NEAR(CoverageAt(layer, f.frame, x, y), expected, 1e-4) << x << "," << y;
      }
    }
  }
}

TEST(CapsuleSegment, HeadFadeRunsOverTheLastPixels) {
  TestFrame f = MakeTestFrame(30, 10, PixelDepth::k32BitFloat);
  StrokeLayer layer = LayerFor(f.frame);
  // Horizontal capsule through pixel centres on row 4, ending at x = 20.5.
  DrawCapsuleSegment(f.frame, f.frame, 2.5f, 4.5f, 20.5f, 4.5f, 3.0f, 3.0f, kWhite, false, 1.5f, 0.0f,
                     0.02f, &layer);
  EXPECT_EQ(CoverageAt(layer, f.frame, 10, 4), 1.0f);
  EXPECT_EQ(CoverageAt(layer, f.frame, 20, 4), 0.0f);  // level with the end point
  EXPECT_EQ(CoverageAt(layer, f.frame, 22, 4), 0.0f);  // beyond it, t is clamped to 1
  DrawCapsuleSegment(f.frame, f.frame, 2.5f, 4.5f, 21.25f, 4.5f, 3.0f, 3.0f, kWhite, false, 1.5f,
                     0.0f, 0.02f, &layer);
  EXPECT_NEAR(CoverageAt(layer, f.frame, 20, 4), 0.5f, 1e-5f);  // 0.75 px before the end
}

TEST(CapsuleSegment, HighestCoverageWinsInTheLayerInEitherOrder) {
  const HostPixel8 red{255, 255, 0, 0};
  const HostPixel8 blue{128, 0, 0, 255};
  for (bool redFirst : {true, false}) {
    TestFrame f = MakeTestFrame(10, 10, PixelDepth::k8Bit);
    StrokeLayer layer = LayerFor(f.frame);
    // At pixel (5, 5) the red disc gives 0.6, the blue one 0.8.
    const auto drawRed = [&] {
      DrawCapsuleSegment(f.frame, f.frame, 3.6f, 5.5f, 3.6f, 5.5f, 2.0f, 2.0f, red, false, 0, 0, 0, &layer);
    };
    const auto drawBlue = [&] {
      DrawCapsuleSegment(f.frame, f.frame, 7.2f, 5.5f, 7.2f, 5.5f, 2.0f, 2.0f, blue, false, 0, 0, 0, &layer);
    };
    if (redFirst) {
      drawRed();
      drawBlue();
    } else {
      drawBlue();
      drawRed();
    }
    const size_t i = 5 * 10 + 5;
    EXPECT_NEAR(layer.coverage[i], 0.8f, 1e-5f);
    EXPECT_EQ(layer.blue[i], 1.0f);
    EXPECT_EQ(layer.red[i], 0.0f);
    EXPECT_NEAR(layer.alpha[i], 128 * 0.003921569f, 1e-7f);
  }
}

TEST(CapsuleSegment, SourcePixelsReplaceOnlyWhereTheyAddAlpha) {
  TestFrame dst = MakeTestFrame(8, 8, PixelDepth::k8Bit);
  FillFrame(dst.frame, {0.2f, 0.2f, 0.2f, 0.4f});
  TestFrame src = MakeTestFrame(8, 8, PixelDepth::k16Bit);
  SetPixelFloat(src.frame, 3, 3, 1.0f, 0.0f, 0.0f, 1.0f);  // everything else has alpha 0
  DrawCapsuleSegment(dst.frame, src.frame, 3.5f, 3.5f, 3.5f, 3.5f, 3.0f, 3.0f, kWhite, true, 0, 0, 0, nullptr);
  const RgbaFloat hit = GetPixelFloat(dst.frame, 3, 3);
  EXPECT_EQ(hit.red, 1.0f);
  EXPECT_EQ(hit.alpha, 1.0f);
  const RgbaFloat untouched = GetPixelFloat(dst.frame, 4, 3);
  EXPECT_NEAR(untouched.red, 0.2f, 0.003f);
  EXPECT_NEAR(untouched.alpha, 0.4f, 0.003f);

  // Into a layer: source colour with alpha plane 1 and coverage × source alpha.
  StrokeLayer layer = LayerFor(dst.frame);
  SetPixelFloat(src.frame, 4, 3, 0.0f, 1.0f, 0.0f, 0.5f);
  DrawCapsuleSegment(dst.frame, src.frame, 3.5f, 3.5f, 3.5f, 3.5f, 3.0f, 3.0f, kWhite, true, 0, 0, 0, &layer);
  EXPECT_EQ(layer.coverage[3 * 8 + 4], 0.5f);
  EXPECT_EQ(layer.green[3 * 8 + 4], 1.0f);
  EXPECT_EQ(layer.alpha[3 * 8 + 4], 1.0f);
  EXPECT_EQ(layer.coverage[3 * 8 + 5], 0.0f);
}

TEST(CapsuleSegment, ClipsToTheDestinationAndReadsASmallerSourceAsTransparent) {
  TestFrame dst = MakeTestFrame(16, 16, PixelDepth::k32BitFloat);
  TestFrame src = MakeTestFrame(4, 4, PixelDepth::k8Bit);
  FillFrame(src.frame, {1.0f, 1.0f, 1.0f, 1.0f});
  StrokeLayer layer = LayerFor(dst.frame);
  // Runs far outside the frame on every side.
  DrawCapsuleSegment(dst.frame, src.frame, -30.0f, -20.0f, 50.0f, 40.0f, 9.0f, 9.0f, kWhite, true, 0, 0, 0,
                     &layer);
  DrawCapsuleSegment(dst.frame, src.frame, -30.0f, -20.0f, 50.0f, 40.0f, 9.0f, 9.0f, kWhite, true, 0, 0, 0,
                     nullptr);
  EXPECT_EQ(CoverageAt(layer, dst.frame, 2, 2), 1.0f);
  EXPECT_EQ(CoverageAt(layer, dst.frame, 8, 8), 0.0f);
  EXPECT_EQ(GetPixelFloat(dst.frame, 2, 2).alpha, 1.0f);
  EXPECT_EQ(GetPixelFloat(dst.frame, 8, 8).alpha, 0.0f);

  TestFrame empty = MakeTestFrame(0, 0, PixelDepth::k8Bit);
  DrawCapsuleSegment(empty.frame, src.frame, 0, 0, 5, 5, 3, 3, kWhite, false, 0, 0, 0, nullptr);
}

std::set<std::pair<int, int>> SetPixels(const HostFrame& frame) {
  std::set<std::pair<int, int>> set;
  for (int32_t y = 0; y < frame.height; ++y) {
    for (int32_t x = 0; x < frame.width; ++x) {
      if (GetPixelFloat(frame, x, y).alpha > 0.0f) set.insert({x, y});
    }
  }
  return set;
}

TEST(CapsuleSegment, FarAwayAndNonFiniteInputsClipInsteadOfOverflowing) {
  const float infinity = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  TestFrame f = MakeTestFrame(16, 16, PixelDepth::k8Bit);
  StrokeLayer layer = LayerFor(f.frame);
  // An end point beyond the 32-bit pixel range still draws the part inside.
  DrawCapsuleSegment(f.frame, f.frame, 5.5f, 5.5f, 3e9f, 5.5f, 1.0f, 1.0f, kWhite, false, 0, 0, 0, &layer);
  EXPECT_EQ(CoverageAt(layer, f.frame, 15, 5), 1.0f);
  EXPECT_EQ(CoverageAt(layer, f.frame, 15, 8), 0.0f);
  DrawCapsuleSegment(f.frame, f.frame, -5e9f, 12.5f, 8.5f, 12.5f, 1.0f, 1.0f, kWhite, false, 0, 0, 0, &layer);
  EXPECT_EQ(CoverageAt(layer, f.frame, 0, 12), 1.0f);

  // A NaN or infinite point or radius has no shape: nothing is drawn.
  TestFrame h = MakeTestFrame(8, 8, PixelDepth::k8Bit);
  for (const float bad : {nan, infinity, -infinity}) {
    DrawCapsuleSegment(h.frame, h.frame, bad, 2.0f, 4.0f, 4.0f, 2.0f, 2.0f, kWhite, false, 1.5f, 0, 0, nullptr);
    DrawCapsuleSegment(h.frame, h.frame, 2.0f, 2.0f, 4.0f, bad, 2.0f, 2.0f, kWhite, false, 1.5f, 0, 0, nullptr);
    DrawCapsuleSegment(h.frame, h.frame, 2.0f, 2.0f, 4.0f, 4.0f, bad, bad, kWhite, false, 0, 0, 0, nullptr);
    DrawCapsuleSegment(h.frame, h.frame, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, bad, kWhite, false, 0, 0, 0, nullptr);
  }
  EXPECT_TRUE(SetPixels(h.frame).empty());
}

TEST(ThickLine, VisitsTheBresenhamPointsAndStampsDiscs) {
  TestFrame f = MakeTestFrame(8, 8, PixelDepth::k8Bit);
  DrawThickLine(f.frame, 0, 0, 3, 1, 0, 0xFFFFFFFFu);
  EXPECT_EQ(SetPixels(f.frame), (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));

  TestFrame g = MakeTestFrame(8, 8, PixelDepth::k16Bit);
  DrawThickLine(g.frame, 4, 4, 4, 4, 1, 0xC0804000u);  // alpha byte 0 is ignored
  EXPECT_EQ(SetPixels(g.frame), (std::set<std::pair<int, int>>{{4, 3}, {3, 4}, {4, 4}, {5, 4}, {4, 5}}));
  const RgbaFloat p = GetPixelFloat(g.frame, 4, 4);
  EXPECT_NEAR(p.red, 0x40 / 255.0f, 1e-4f);
  EXPECT_NEAR(p.green, 0x80 / 255.0f, 1e-4f);
  EXPECT_NEAR(p.blue, 0xC0 / 255.0f, 1e-4f);
  EXPECT_EQ(p.alpha, 1.0f);

  // Backwards and steep, reaching outside the frame.
  TestFrame h = MakeTestFrame(6, 6, PixelDepth::k32BitFloat);
  DrawThickLine(h.frame, 2, 9, 0, -3, 1, 0xFFFFFFFFu);
  EXPECT_TRUE(SetPixels(h.frame).count({1, 3}));
  DrawThickLine(h.frame, 0, 0, 5, 5, -1, 0xFFFFFFFFu);
  EXPECT_FALSE(SetPixels(h.frame).count({5, 5}));
}

TEST(Discs, FillAndCopyClipToTheirFrames) {
  TestFrame f = MakeTestFrame(5, 5, PixelDepth::k8Bit);
  FillDiscRgb(f.frame, 0, 4, 2, HostPixel8{0, 10, 20, 30});
  EXPECT_EQ(SetPixels(f.frame),
            (std::set<std::pair<int, int>>{{0, 2}, {0, 3}, {1, 3}, {0, 4}, {1, 4}, {2, 4}}));
  EXPECT_EQ(GetPixelFloat(f.frame, 0, 4).alpha, 1.0f);

  TestFrame src = MakeTestFrame(2, 2, PixelDepth::k8Bit);
  FillFrame(src.frame, {1.0f, 0.0f, 0.0f, 1.0f});
  TestFrame dst = MakeTestFrame(6, 6, PixelDepth::k16Bit);
  FillFrame(dst.frame, {0.0f, 0.0f, 1.0f, 1.0f});
  CopyDisc(dst.frame, src.frame, 1, 1, 2);
  EXPECT_EQ(GetPixelFloat(dst.frame, 1, 1).red, 1.0f);
  EXPECT_EQ(GetPixelFloat(dst.frame, 3, 1).alpha, 0.0f);  // outside the source: transparent
  EXPECT_EQ(GetPixelFloat(dst.frame, 3, 3).alpha, 1.0f);  // outside the disc: untouched
}

TEST(StrokeLayerComposite, ThresholdIsExclusiveAndOpacityScales) {
  TestFrame f = MakeTestFrame(3, 1, PixelDepth::k32BitFloat);
  StrokeLayer layer = LayerFor(f.frame);
  layer.coverage = {kLayerCoverageMin, 0.0031f, 2.0f};
  layer.red = {1.0f, 1.0f, 1.0f};
  layer.alpha = {1.0f, 1.0f, 0.5f};
  CompositeStrokeLayer(layer, f.frame);
  EXPECT_EQ(GetPixelFloat(f.frame, 0, 0).alpha, 0.0f);
  EXPECT_NEAR(GetPixelFloat(f.frame, 1, 0).alpha, 0.0031f, 1e-7f);
  EXPECT_EQ(GetPixelFloat(f.frame, 2, 0).alpha, 0.5f);  // coverage capped at 1
  EXPECT_EQ(GetPixelFloat(f.frame, 2, 0).red, 0.5f);

  StrokeLayer tooSmall;
  ResetRenderBuffers(tooSmall, 2);
  EXPECT_THROW(CompositeStrokeLayer(tooSmall, f.frame), std::logic_error);
}

}  // namespace
