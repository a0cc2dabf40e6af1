#include "render/stroke_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/offset_outline.h"
#include "render/pixel_access.h"
#include "render/stroke_layer.h"
#include "tests/render/test_frame.h"

namespace {

// The chains, field and skeleton a drawing call reads, with the state that
// points at them.
struct Scene {
  std::vector<ChainRecord> chains;
  std::vector<int32_t> labels;
  DistanceField field;
  ByteMask skeleton;
  TestFrame output;
  TestFrame source;
  RenderFrameState state;

  Scene(int32_t width, int32_t height, PixelDepth depth = PixelDepth::k32BitFloat)
      : output(MakeTestFrame(width, height, depth)), source(MakeTestFrame(width, height, depth)) {
    skeleton.width = width;
    skeleton.height = height;
    skeleton.cells.assign(static_cast<size_t>(width) * height, 0);
  }

  const RenderFrameState& State() {
    labels.clear();
    for (size_t i = 0; i < chains.size(); ++i) labels.push_back(static_cast<int32_t>(i) + 1);
    state.source = &source.frame;
    state.output = &output.frame;
    state.chains = &chains;
    state.labels = &labels;
    state.field = &field;
    state.skeleton = &skeleton;
    state.maskWidth = skeleton.width;
    state.maskHeight = skeleton.height;
    return state;
  }

  float Alpha(int32_t x, int32_t y) const { return GetPixelFloat(output.frame, x, y).alpha; }
};

ChainRecord Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  ChainRecord chain;
  chain.points = {{x0, y0}, {x1, y1}};
  return chain;
}

RenderSettings Opaque(int32_t lineWidth) {
  RenderSettings s;
  s.lineWidth = lineWidth;
  s.lineRadius = lineWidth - 1;
  s.lineColor = {255, 255, 255, 255};
  return s;
}

TEST(StrokeDrawing, DashesTenOnTenOffAlongAFiftyPixelChain) {
  Scene scene(64, 20);
  scene.chains = {Line(5, 10, 55, 10)};
  RenderSettings s = Opaque(3);  // radius 2
  s.dashesEnabled = true;
  s.dashLength = 10.0f;
  s.dashPeriod = 20.0f;
  DrawRenderOutput(s, scene.State());
  // Plain reference: distance from each pixel centre to the nearest dash.
  for (int32_t x = 0; x < 64; ++x) {
    float best = 0.0f;
    for (float from : {5.0f, 25.0f, 45.0f}) {
      const float px = x + 0.5f;
      const float along = std::max({from - px, px - (from + 10.0f), 0.0f});
      best = std::max(best, std::clamp(2.5f - std::sqrt(along * along + 0.25f), 0.0f, 1.0f));
    }
    const float expected = best > kLayerCoverageMin ? best : 0.0f;
    EXPECT_NEAR(scene.Alpha(x, 10), expected, 2e-5f) << x;
  }
  EXPECT_EQ(scene.Alpha(10, 10), 1.0f);
  EXPECT_EQ(scene.Alpha(20, 10), 0.0f);
  EXPECT_EQ(scene.Alpha(30, 10), 1.0f);
  EXPECT_EQ(scene.Alpha(40, 10), 0.0f);
  EXPECT_EQ(scene.Alpha(50, 10), 1.0f);
}

TEST(StrokeDrawing, DashesRunOnFromChainToChain) {
  Scene scene(64, 30);
  scene.chains = {Line(5, 5, 20, 5), Line(5, 20, 40, 20)};
  RenderSettings s = Opaque(1);
  s.dashesEnabled = true;
  s.dashLength = 10.0f;
  s.dashPeriod = 20.0f;
  DrawRenderOutput(s, scene.State());
  // 15 px of the first chain came before: the second starts in a gap until 5.
  EXPECT_EQ(scene.Alpha(6, 20), 0.0f);
  EXPECT_GT(scene.Alpha(14, 20), 0.4f);
  EXPECT_EQ(scene.Alpha(25, 20), 0.0f);
  EXPECT_GT(scene.Alpha(35, 20), 0.4f);
}

TEST(StrokeDrawing, OpacityAppliesToPlainColourButNotToAGradient) {
  Scene scene(40, 20, PixelDepth::k8Bit);
  scene.chains = {Line(5, 10, 35, 10)};
  RenderSettings s = Opaque(5);
  s.lineColor = {127, 200, 100, 50};  // Opacity 50
  DrawRenderOutput(s, scene.State());
  HostPixel8 p;
  std::memcpy(&p, static_cast<const char*>(scene.output.frame.pixels) + scene.output.frame.rowBytes * 10 + 4 * 20, 4);
  EXPECT_EQ(p.alpha, 127);
  EXPECT_EQ(p.red, 100);  // blended over the cleared base

  // The gradient changes colour piece by piece along a chain of many points.
  scene.chains[0].points.clear();
  for (int32_t x = 5; x <= 35; ++x) scene.chains[0].points.push_back({x, 10});
  s.useGradient = true;
  s.lineColorEnd = {0, 0, 250};
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(scene.Alpha(20, 10), 1.0f);
  EXPECT_GT(GetPixelFloat(scene.output.frame, 6, 10).red, GetPixelFloat(scene.output.frame, 34, 10).red);
  EXPECT_LT(GetPixelFloat(scene.output.frame, 6, 10).blue, GetPixelFloat(scene.output.frame, 34, 10).blue);
  const HostPixel8 middle = PieceColor(s, 0.5f, 0.5f);
  EXPECT_EQ(middle.alpha, 255);
  EXPECT_EQ(middle.red, 100);   // (0 - 200) × 0.5 + 200
  EXPECT_EQ(middle.blue, 150);  // (250 - 50) × 0.5 + 50
}

TEST(StrokeDrawing, LineCapShapesOnlyTheMovingHead) {
  const auto render = [](bool roundCap, float progress) {
    Scene scene(60, 20);
    scene.chains = {Line(5, 10, 45, 10)};
    RenderSettings s = Opaque(5);
    s.roundCap = roundCap;
    s.revealProgress = progress;
    DrawRenderOutput(s, scene.State());
    return scene;
  };
  const Scene roundHalf = render(true, 0.5f);  // head at x = 25
  const Scene flatHalf = render(false, 0.5f);
  EXPECT_EQ(roundHalf.Alpha(25, 10), 1.0f);  // full disc on the head
  EXPECT_EQ(flatHalf.Alpha(25, 10), 0.0f);   // level with the head: faded out
  EXPECT_GT(flatHalf.Alpha(24, 10), 0.0f);
  EXPECT_LT(flatHalf.Alpha(24, 10), 1.0f);
  EXPECT_EQ(roundHalf.Alpha(10, 10), flatHalf.Alpha(10, 10));

  const Scene roundFull = render(true, 1.0f);
  const Scene flatFull = render(false, 1.0f);
  EXPECT_EQ(roundFull.output.storage, flatFull.output.storage);
}

TEST(StrokeDrawing, RevealProgressZeroLeavesOnlyTheBase) {
  Scene scene(20, 20, PixelDepth::k16Bit);
  scene.source = MakeTestFrame(12, 12, PixelDepth::k8Bit);  // smaller than the output
  FillFrame(scene.source.frame, {0.0f, 1.0f, 0.0f, 1.0f});
  scene.chains = {Line(2, 2, 18, 18)};
  RenderSettings s = Opaque(3);
  s.revealProgress = 0.0f;
  s.compositeOnOriginal = true;
  DrawRenderOutput(s, scene.State());
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const RgbaFloat p = GetPixelFloat(scene.output.frame, x, y);
      const bool inside = x < 12 && y < 12;
      ASSERT_EQ(p.alpha, inside ? 1.0f : 0.0f) << x << "," << y;
      ASSERT_EQ(p.green, inside ? 1.0f : 0.0f);
    }
  }
  // Without Composite on Original every earlier pixel is cleared.
  s.compositeOnOriginal = false;
  DrawRenderOutput(s, scene.State());
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(scene.Alpha(x, y), 0.0f);
  }
}

TEST(StrokeDrawing, RingsSitAtTheirOffsetAndOutlineOnlyDrawsNothingElse) {
  RenderSettings s = Opaque(3);
  s.ringGap = 2.0f;
  s.ringWidth = 3.0f;
  const RingShape ring = RingShapeFor(s);
  EXPECT_EQ(ring.offset, 5.5f);
  EXPECT_EQ(ring.radius, 1.5f);
  s.ringWidth = 1.0f;
  EXPECT_EQ(RingShapeFor(s).radius, 0.5f);
  s.ringWidth = 3.0f;

  Scene scene(60, 40);
  scene.chains = {Line(10, 20, 50, 20)};
  s.outlineOnly = true;
  DrawRenderOutput(s, scene.State());
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(scene.Alpha(x, y), 0.0f);
  }

  s.multiStroke = true;
  s.ringColor = {255, 0, 255, 0};
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(scene.Alpha(30, 20), 0.0f);  // no stroke
  EXPECT_EQ(scene.Alpha(30, 22), 0.0f);
  EXPECT_EQ(scene.Alpha(30, 25), 1.0f);  // centre 25.5 = 20 + 5.5
  EXPECT_EQ(scene.Alpha(30, 14), 1.0f);  // centre 14.5 = 20 - 5.5
  EXPECT_EQ(GetPixelFloat(scene.output.frame, 30, 25).green, 1.0f);

  // Flat caps join the two lines across each end; round caps do not.
  EXPECT_EQ(scene.Alpha(10, 20), 0.0f);
  s.roundCap = false;
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(scene.Alpha(10, 20), 1.0f);

  // The stroke lies over the rings.
  s.outlineOnly = false;
  s.lineColor = {255, 255, 0, 0};
  s.ringGap = -3.0f;  // rings inside the stroke
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(GetPixelFloat(scene.output.frame, 30, 21).red, 1.0f);
}

TEST(StrokeDrawing, WithoutChainsTheSkeletonIsDrawnAsSolidDiscs) {
  Scene scene(20, 20, PixelDepth::k8Bit);
  scene.skeleton.cells[5 * 20 + 5] = 1;
  scene.skeleton.cells[12 * 20 + 14] = 1;
  RenderSettings s = Opaque(1);
  s.lineColor = {10, 255, 0, 0};  // the Opacity byte does not apply here
  DrawRenderOutput(s, scene.State());
  int lit = 0;
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) lit += scene.Alpha(x, y) > 0.0f;
  }
  EXPECT_EQ(lit, 2);
  EXPECT_EQ(scene.Alpha(5, 5), 1.0f);

  s = Opaque(3);  // radius 2: 13 pixels each
  DrawRenderOutput(s, scene.State());
  lit = 0;
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) lit += scene.Alpha(x, y) > 0.0f;
  }
  EXPECT_EQ(lit, 26);
  EXPECT_EQ(scene.Alpha(16, 12), 1.0f);
  EXPECT_EQ(scene.Alpha(16, 13), 0.0f);

  // A width point sets the disc size.
  s.widthPoints.count = 1;
  s.widthPoints.entries[0] = {0.0f, 0.0f, 0.0f};
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(scene.Alpha(5, 5), 1.0f);
  EXPECT_EQ(scene.Alpha(6, 5), 0.0f);
}

TEST(StrokeDrawing, RevealOriginalFromASmallerSourceReadsOnlyInsideIt) {
  // A 4 × 4 source under a 16 × 16 output, chains traced on a larger map.
  Scene scene(16, 16, PixelDepth::k8Bit);
  scene.source = MakeTestFrame(4, 4, PixelDepth::k16Bit);
  FillFrame(scene.source.frame, {1.0f, 0.0f, 0.0f, 1.0f});
  scene.skeleton = ByteMask{std::vector<uint8_t>(48 * 48, 0), 48, 48};
  scene.field.assign(48 * 48, 2.0f);
  scene.chains = {Line(1, 1, 40, 40), Line(30, 2, 2, 30)};
  RenderSettings s = Opaque(4);
  s.revealOriginal = true;
  s.matchOriginalWidth = true;
  s.roughnessAmount = 2.0f;
  DrawRenderOutput(s, scene.State());
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 16; ++x) {
      const RgbaFloat p = GetPixelFloat(scene.output.frame, x, y);
      if (x >= 4 || y >= 4) {
        ASSERT_EQ(p.alpha, 0.0f) << x << "," << y;
      } else {
        ASSERT_EQ(p.red, p.alpha);  // source red, blended over the cleared base
        ASSERT_EQ(p.green, 0.0f);
      }
    }
  }
  EXPECT_EQ(scene.Alpha(2, 2), 1.0f);

  // The same without chains: discs copied from the source.
  scene.chains.clear();
  scene.skeleton.cells[3 * 48 + 3] = 1;
  scene.skeleton.cells[8 * 48 + 8] = 1;
  scene.skeleton.cells[30 * 48 + 30] = 1;  // outside the output
  DrawRenderOutput(s, scene.State());
  EXPECT_EQ(scene.Alpha(3, 3), 1.0f);
  EXPECT_EQ(scene.Alpha(8, 8), 0.0f);
}

TEST(StrokeDrawing, SameImageAtEveryDepth) {
  const auto render = [](PixelDepth depth) {
    Scene scene(48, 40, depth);
    FillFrame(scene.source.frame, {0.0f, 0.0f, 0.0f, 0.0f});
    for (int32_t y = 5; y < 35; ++y) {
      for (int32_t x = 10; x < 20; ++x) SetPixelFloat(scene.source.frame, x, y, 1.0f, 1.0f, 0.0f, 1.0f);
    }
    ChainRecord curve;
    for (int32_t i = 0; i <= 30; ++i) {
      curve.points.push_back({5 + i, 20 + static_cast<int32_t>(10.0 * std::sin(i * 0.2))});
    }
    scene.chains = {curve, Line(40, 5, 40, 35)};
    RenderSettings s = Opaque(4);
    s.compositeOnOriginal = true;
    s.useGradient = true;
    s.lineColorEnd = {0, 128, 255};
    s.taper = 0.6f;
    s.revealProgress = 0.8f;
    s.naturalSpeed = true;
    s.multiStroke = true;
    s.ringColor = {255, 255, 0, 0};
    DrawRenderOutput(s, scene.State());
    return scene;
  };
  const Scene reference = render(PixelDepth::k32BitFloat);
  for (PixelDepth depth : {PixelDepth::k8Bit, PixelDepth::k16Bit}) {
    const Scene other = render(depth);
    for (int32_t y = 0; y < 40; ++y) {
      for (int32_t x = 0; x < 48; ++x) {
        const RgbaFloat a = GetPixelFloat(reference.output.frame, x, y);
        const RgbaFloat b = GetPixelFloat(other.output.frame, x, y);
        ASSERT_NEAR(a.red, b.red, 1.0f / 255.0f) << x << "," << y;
        ASSERT_NEAR(a.green, b.green, 1.0f / 255.0f) << x << "," << y;
        ASSERT_NEAR(a.blue, b.blue, 1.0f / 255.0f) << x << "," << y;
        ASSERT_NEAR(a.alpha, b.alpha, 1.0f / 255.0f) << x << "," << y;
      }
    }
  }
}

TEST(StrokeDrawing, PreviewTakesThePlaceOfTheStroke) {
  const auto render = [](bool preview) {
    Scene scene(30, 20);
    scene.chains = {Line(3, 10, 27, 10)};
    RenderSettings s = Opaque(3);
    s.previewChains = preview;
    DrawRenderOutput(s, scene.State());
    return scene.output.storage;
  };
  EXPECT_NE(render(true), render(false));
}

TEST(StrokeDrawing, DegenerateFramesAndChainsDrawWithoutFault) {
  RenderSettings s = Opaque(3);
  s.dashesEnabled = true;
  s.multiStroke = true;
  for (int32_t size : {0, 1, 2}) {
    Scene scene(size, size);
    ChainRecord single;
    single.points = {{0, 0}};
    scene.chains = {single, Line(0, 0, 0, 0), Line(0, 0, 1, 1)};
    DrawRenderOutput(s, scene.State());
    scene.chains.clear();
    DrawRenderOutput(s, scene.State());
  }
  RenderFrameState nothing;
  DrawRenderOutput(s, nothing);
}

}  // namespace
