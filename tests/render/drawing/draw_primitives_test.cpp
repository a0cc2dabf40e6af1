#include "render/drawing/draw_primitives.h"

#include <gtest/gtest.h>

#include <vector>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <tuple>

#include "render/drawing/stroke_layer.h"
#include "tests/render/render_test_helpers.h"

namespace {

constexpr HostPixel8 kWhite{255, 255, 255, 255};

// A frame with its stroke layer.
struct Layered {
  TestFrame f;
  StrokeLayer layer;
  explicit Layered(int32_t w, int32_t h, PixelDepth depth = PixelDepth::k8Bit) : f(MakeTestFrame(w, h, depth)) {
    ResetStrokeLayer(layer, w, h);
  }
  void Draw(float x0, float y0, float x1, float y1, float r, float fade = 0.0f, HostPixel8 colour = kWhite) {
    DrawCapsule(f.frame, f.frame, Capsule{{x0, y0}, {x1, y1}, r, r, colour, false, fade, 0.0f, 0.02f}, &layer);
  }
  float Coverage(int32_t x, int32_t y) const { return StrokeLayerCoverage(layer, x, y); }
};

TEST(Capsule, DiscCoverageAtTwoAndTwoAndAHalfPixelsAndTheHeadFade) {
  Layered l(24, 24);
  l.Draw(10.5f, 10.5f, 10.5f, 10.5f, 2.0f);
  DrawCapsule(l.f.frame, l.f.frame, Capsule{{10.5f, 10.5f}, {10.5f, 10.5f}, 2, 2, kWhite, false, 0, 0, 0}, nullptr);
  for (auto [x, y, coverage] : {std::tuple{10, 10, 1.0f}, {12, 10, 0.5f}, {10, 8, 0.5f}, {13, 10, 0.0f}}) {
    EXPECT_EQ(l.Coverage(x, y), coverage) << x << "," << y;
    EXPECT_NEAR(GetPixelFloat(l.f.frame, x, y).alpha, coverage, 0.003f) << "blended straight in at " << x << "," << y;
  }
  // The head fades over the last 1.5 px: nothing is left level with the end point or beyond it.
  Layered fade(30, 10);
  fade.Draw(2.5f, 4.5f, 20.5f, 4.5f, 3.0f, 1.5f);
  EXPECT_EQ((std::vector{fade.Coverage(10, 4), fade.Coverage(20, 4), fade.Coverage(22, 4)}),
            (std::vector{1.0f, 0.0f, 0.0f}));
  fade.Draw(2.5f, 4.5f, 21.25f, 4.5f, 3.0f, 1.5f);
  EXPECT_NEAR(fade.Coverage(20, 4), 0.5f, 1e-5f);  // 0.75 px before the end
}

TEST(Capsule, CoverageMatchesDistanceToTheSegment) {
  Layered l(40, 20);
  const float x0 = 5.2f, y0 = 6.7f, x1 = 31.9f, y1 = 12.1f, r0 = 1.5f, r1 = 4.0f;
  DrawCapsule(l.f.frame, l.f.frame, Capsule{{x0, y0}, {x1, y1}, r0, r1, kWhite, false, 0.0f, 0.0f, 0.02f}, &l.layer);
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      const double px = x + 0.5, py = y + 0.5, dx = x1 - x0, dy = y1 - y0;
      const double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      const double dist = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
      ASSERT_NEAR(l.Coverage(x, y), std::clamp(r0 + (r1 - r0) * t + 0.5 - dist, 0.0, 1.0), 1e-4) << x << "," << y;
    }
  }
}

TEST(Capsule, HighestCoverageWinsInTheLayerInEitherOrder) {
  const HostPixel8 red{255, 255, 0, 0}, blue{128, 0, 0, 255};
  for (bool redFirst : {true, false}) {
    Layered l(10, 10);
    for (bool drawRed : {redFirst, !redFirst}) {  // at (5, 5) red covers 0.6, blue 0.8
      l.Draw(drawRed ? 3.6f : 7.2f, 5.5f, drawRed ? 3.6f : 7.2f, 5.5f, 2.0f, 0.0f, drawRed ? red : blue);
    }
    EXPECT_NEAR(l.Coverage(5, 5), 0.8f, 1e-5f);
    const RgbaFloat colour = StrokeLayerColour(l.layer, l.f.frame, 5, 5);
    EXPECT_EQ(std::tuple(colour.blue, colour.red), std::tuple(1.0f, 0.0f));
    EXPECT_NEAR(colour.alpha, 128 * 0.003921569f, 1e-7f);
  }
}

TEST(Capsule, ClipsToTheFrameAndReadsASmallerSourceAsTransparent) {
  Layered l(16, 16, PixelDepth::k32BitFloat);
  TestFrame src = MakeTestFrame(4, 4);
  FillFrame(src.frame, {1.0f, 1.0f, 1.0f, 1.0f});
  for (StrokeLayer* target : {&l.layer, static_cast<StrokeLayer*>(nullptr)}) {
    DrawCapsule(l.f.frame, src.frame, Capsule{{-30, -20}, {50, 40}, 9, 9, kWhite, true, 0, 0, 0}, target);
  }
  EXPECT_EQ(std::tuple(l.Coverage(2, 2), l.Coverage(8, 8)), std::tuple(1.0f, 0.0f));
  EXPECT_EQ(std::tuple(GetPixelFloat(l.f.frame, 2, 2).alpha, GetPixelFloat(l.f.frame, 8, 8).alpha),
            std::tuple(1.0f, 0.0f));
  // An end point beyond the 32-bit pixel range still draws the part inside.
  Layered far(16, 16);
  far.Draw(5.5f, 5.5f, 3e9f, 5.5f, 1.0f);
  far.Draw(-5e9f, 12.5f, 8.5f, 12.5f, 1.0f);
  EXPECT_EQ((std::vector{far.Coverage(15, 5), far.Coverage(15, 8), far.Coverage(0, 12)}),
            (std::vector{1.0f, 0.0f, 1.0f}));
  // A NaN or infinite point or radius has no shape; an empty frame has no pixels.
  TestFrame h = MakeTestFrame(8, 8);
  for (const float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()}) {
    for (auto [x0, x1, y1, r0, r1, fade] :
         {std::tuple{bad, 4.0f, 4.0f, 2.0f, 2.0f, 1.5f}, {2.0f, 4.0f, bad, 2.0f, 2.0f, 1.5f},
          {2.0f, 4.0f, 4.0f, bad, bad, 0.0f}, {2.0f, 2.0f, 2.0f, 2.0f, bad, 0.0f}}) {
      DrawCapsule(h.frame, h.frame, Capsule{{x0, 2.0f}, {x1, y1}, r0, r1, kWhite, false, fade, 0, 0}, nullptr);
    }
  }
  EXPECT_EQ(h.storage, MakeTestFrame(8, 8).storage);
  DrawCapsule(HostFrame{}, HostFrame{}, Capsule{{0, 0}, {5, 5}, 3, 3, kWhite, false, 0, 0, 0}, nullptr);
}

TEST(StrokeLayerComposite, ThresholdIsExclusiveAndCoverageCappedAtOne) {
  Layered l(3, 1, PixelDepth::k32BitFloat);
  const uint32_t red = StrokeColourIndex(l.layer, {1.0f, 0.0f, 0.0f, 1.0f});
  const uint32_t halfRed = StrokeColourIndex(l.layer, {1.0f, 0.0f, 0.0f, 0.5f});
  StrokeLayerPixel* tile = StrokeTileAt(l.layer, 0, 0);
  tile[StrokeTileOffset(0, 0)] = {kLayerCoverageMin, red};
  tile[StrokeTileOffset(1, 0)] = {0.0031f, red};
  tile[StrokeTileOffset(2, 0)] = {2.0f, halfRed};
  CompositeStrokeLayer(l.layer, l.f.frame, l.f.frame);
  EXPECT_EQ(GetPixelFloat(l.f.frame, 0, 0).alpha, 0.0f);
  EXPECT_NEAR(GetPixelFloat(l.f.frame, 1, 0).alpha, 0.0031f, 1e-7f);
  EXPECT_TRUE(SamePixel(GetPixelFloat(l.f.frame, 2, 0), {0.5f, 0.0f, 0.0f, 0.5f}));
  ResetStrokeLayer(l.layer, 2, 1);
  EXPECT_THROW(CompositeStrokeLayer(l.layer, l.f.frame, l.f.frame), std::logic_error);
}

}  // namespace
