#include "render/stroke_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

ChainRecord StraightChain(int32_t x0, int32_t y, int32_t length, int32_t step = 1) {
  ChainRecord chain;
  for (int32_t x = x0; x <= x0 + length; x += step) chain.points.push_back({x, y});
  return chain;
}

ChainRecord ChainThrough(std::initializer_list<IntPoint> points) {
  ChainRecord chain;
  chain.points = points;
  return chain;
}

TEST(StrokeGeometry, PointsPreferFloatPointsOnlyWhenSizedLikeThePoints) {
  ChainRecord chain = ChainThrough({{1, 2}, {3, 4}});
  EXPECT_EQ(ChainPointX(chain, 1), 3.0f);
  chain.fpoints = {{1.5f, 2.5f}};
  EXPECT_EQ(ChainPointY(chain, 0), 2.0f);
  chain.fpoints.push_back({3.25f, 4.75f});
  EXPECT_EQ(ChainPointX(chain, 1), 3.25f);
  EXPECT_EQ(ChainPointY(chain, 1, false), 4.0f);
  EXPECT_EQ(ChainLength(chain), std::sqrt(1.75f * 1.75f + 2.25f * 2.25f));
}

TEST(StrokeGeometry, LengthsStartsAndDegenerateChains) {
  RenderSettings settings;
  std::vector<ChainRecord> chains = {StraightChain(0, 0, 30), ChainThrough({{5, 5}}),
                                     ChainThrough({{7, 7}, {7, 7}}), StraightChain(0, 9, 10, 5)};
  const StrokeGeometry g = ComputeStrokeGeometry(settings, chains, {}, 0, 0);
  EXPECT_EQ(g.totalLength, 40.0f);
  ASSERT_EQ(g.chains.size(), 4u);
  EXPECT_EQ(g.chains[1].length, 0.0f);
  EXPECT_FALSE(g.chains[1].drawable);
  EXPECT_FALSE(g.chains[2].drawable);
  EXPECT_TRUE(g.chains[2].widths.empty());
  EXPECT_FALSE(g.chains[2].windowA.present);
  EXPECT_EQ(g.chains[3].start, 30.0f);
  EXPECT_EQ(g.chains[3].widths.size(), 3u);
}

TEST(StrokeGeometry, WidthsFromLineWidthDistanceFieldAndWidthPoints) {
  RenderSettings settings;
  settings.lineRadius = 0;
  const ChainRecord chain = StraightChain(2, 2, 6);
  for (float w : ComputeChainWidths(chain, settings, {}, 0, 0)) EXPECT_EQ(w, 0.0f);
  settings.lineRadius = 4;
  for (float w : ComputeChainWidths(chain, settings, {}, 0, 0)) EXPECT_EQ(w, 4.0f);

  // Match Original Width: the largest distance in the 3 × 3 cells, × Width Scale.
  const ChainRecord longChain = StraightChain(2, 2, 16);
  DistanceField field(24 * 6, 0.0f);
  field[3 * 24 + 5] = 1.0f;  // diagonal neighbour of the chain's point (4, 2); small enough that
                             // the smoothing reach stays 2 at both scales
  settings.matchOriginalWidth = true;
  settings.widthScale = 1.0f;
  const std::vector<float> single = ComputeChainWidths(longChain, settings, field, 24, 6);
  settings.widthScale = 2.0f;
  const std::vector<float> matched = ComputeChainWidths(longChain, settings, field, 24, 6);
  EXPECT_GT(matched[3], 0.0f);
  EXPECT_EQ(matched[16], 0.0f);  // the line width is not used
  for (size_t k = 0; k < matched.size(); ++k) EXPECT_EQ(matched[k], 2.0f * single[k]) << k;
  // A field that does not cover the mask is not read.
  for (float w : ComputeChainWidths(chain, settings, DistanceField(5, 9.0f), 24, 6)) EXPECT_EQ(w, 4.0f);

  // Width points decide alone: a single point gives its width everywhere.
  settings.widthPoints.count = 1;
  settings.widthPoints.entries[0] = {5.0f, 2.0f, 4.0f};
  EXPECT_EQ(InterpolateWidthPoints(settings.widthPoints, 5.0f, 2.0f, 99.0f), 4.0f);
  for (float w : ComputeChainWidths(chain, settings, field, 24, 6)) EXPECT_FLOAT_EQ(w, 4.0f);

  settings.widthPoints.count = 2;
  settings.widthPoints.entries[1] = {5.0f, 2.0f, 0.0f};  // same place: plain mean
  EXPECT_EQ(InterpolateWidthPoints(settings.widthPoints, 5.0f, 2.0f, 99.0f), 2.0f);
  settings.widthPoints.entries[1] = {7.0f, 2.0f, 0.0f};
  // At (5, 2): weights 1 and 1/5.
  EXPECT_FLOAT_EQ(InterpolateWidthPoints(settings.widthPoints, 5.0f, 2.0f, 99.0f), 4.0f / 1.2f);
  settings.widthPoints.entries[0].width = -3.0f;  // negative means are clamped at 0
  for (float w : ComputeChainWidths(chain, settings, {}, 0, 0)) EXPECT_EQ(w, 0.0f);
}

TEST(StrokeGeometry, SmoothingAveragesOverArcReach) {
  RenderSettings settings;
  settings.widthPoints.count = 2;
  settings.widthPoints.entries[0] = {10.0f, 0.0f, 8.0f};
  settings.widthPoints.entries[1] = {10.0f, 3.0f, 0.0f};
  const ChainRecord chain = StraightChain(0, 0, 20);
  const std::vector<float> w = ComputeChainWidths(chain, settings, {}, 0, 0);
  ASSERT_EQ(w.size(), 21u);
  const float peak = InterpolateWidthPoints(settings.widthPoints, 10.0f, 0.0f, 0.0f);
  for (size_t k = 0; k < w.size(); ++k) {
    EXPECT_LT(w[k], peak);           // means of the neighbourhood never reach the peak
    EXPECT_FLOAT_EQ(w[k], w[20 - k]) << k;  // symmetric around the width points
  }
  EXPECT_GT(w[10], w[5]);

  // Points farther apart than the reach are not averaged.
  const ChainRecord sparse = StraightChain(0, 0, 40, 10);
  const std::vector<float> s = ComputeChainWidths(sparse, settings, {}, 0, 0);
  for (size_t k = 0; k < s.size(); ++k) {
    EXPECT_EQ(s[k], InterpolateWidthPoints(settings.widthPoints, 10.0f * k, 0.0f, 0.0f));
  }
}

TEST(StrokeGeometry, NibScalesByStrokeDirection) {
  RenderSettings settings;
  settings.lineRadius = 4;
  settings.nibSimulation = true;
  settings.minWidth = 0.15f;
  const ChainRecord horizontal = StraightChain(0, 0, 10);
  settings.nibAngle = 0.0f;
  for (float w : ComputeChainWidths(horizontal, settings, {}, 0, 0)) EXPECT_FLOAT_EQ(w, 4.0f * 0.15f);
  settings.minWidth = 0.0f;
  for (float w : ComputeChainWidths(horizontal, settings, {}, 0, 0)) EXPECT_FLOAT_EQ(w, 0.3f);
  settings.nibAngle = 90.0f * 3.1415927f / 180.0f;
  for (float w : ComputeChainWidths(horizontal, settings, {}, 0, 0)) EXPECT_FLOAT_EQ(w, 4.0f);
}

TEST(StrokeGeometry, RevealWindowsOneAfterAnother) {
  RenderSettings settings;
  settings.revealProgress = 0.5f;
  const std::vector<ChainRecord> chains = {StraightChain(0, 0, 30, 3), StraightChain(0, 5, 10)};
  StrokeGeometry g = ComputeStrokeGeometry(settings, chains, {}, 0, 0);
  EXPECT_TRUE(g.chains[0].windowA.present);
  EXPECT_EQ(g.chains[0].windowA.t0, 0.0f);
  EXPECT_FLOAT_EQ(g.chains[0].windowA.t1, 20.0f);
  EXPECT_FALSE(g.chains[0].windowB.present);
  EXPECT_EQ(g.chains[1].revealed, 0.0f);
  EXPECT_FALSE(g.chains[1].windowA.present);

  // Full stagger: every chain at the same local progress, the global front
  // still limits without Natural Speed.
  settings.chainStagger = 1.0f;
  g = ComputeStrokeGeometry(settings, chains, {}, 0, 0);
  EXPECT_FLOAT_EQ(g.chains[1].local, 0.5f);
  EXPECT_FALSE(g.chains[1].windowA.present);  // starts at 30, front at 20
  settings.naturalSpeed = true;               // head = L: only `revealed` limits
  g = ComputeStrokeGeometry(settings, chains, {}, 0, 0);
  EXPECT_FLOAT_EQ(g.chains[0].local, 0.5f);
  EXPECT_TRUE(g.chains[1].windowA.present);
  EXPECT_EQ(g.chains[1].windowA.t0, 0.0f);
  EXPECT_FLOAT_EQ(g.chains[1].windowA.t1, 5.0f);
}

TEST(StrokeGeometry, PathOffsetWrapsPastTheEnd) {
  RenderSettings settings;
  settings.revealProgress = 1.0f;
  settings.pathOffset = 0.5f;
  const std::vector<ChainRecord> chains = {StraightChain(0, 0, 30), StraightChain(0, 5, 10),
                                           StraightChain(0, 9, 40)};
  const StrokeGeometry g = ComputeStrokeGeometry(settings, chains, {}, 0, 0);  // L = 80, head = 120
  // Window A: from L/2 = 40 on; window B: from 0 to L/2.
  EXPECT_FALSE(g.chains[0].windowA.present);
  EXPECT_TRUE(g.chains[0].windowB.present);
  EXPECT_EQ(g.chains[0].windowB.t1, 30.0f);
  EXPECT_FALSE(g.chains[1].windowA.present);  // [10, 10] is empty
  EXPECT_EQ(g.chains[1].windowB.t1, 0.0f + 10.0f);
  EXPECT_TRUE(g.chains[2].windowA.present);
  EXPECT_EQ(g.chains[2].windowA.t0, 0.0f);
  EXPECT_EQ(g.chains[2].windowA.t1, 40.0f);
  EXPECT_FALSE(g.chains[2].windowB.present);  // 40 - 40 = 0

  // A negative offset wraps to the other side: off = 60, head = 140.
  settings.pathOffset = -0.25f;
  const StrokeGeometry h = ComputeStrokeGeometry(settings, chains, {}, 0, 0);
  EXPECT_FALSE(h.chains[0].windowA.present);
  EXPECT_EQ(h.chains[0].windowB.t1, 30.0f);
  EXPECT_EQ(h.chains[2].windowA.t0, 20.0f);
  EXPECT_EQ(h.chains[2].windowA.t1, 40.0f);
  EXPECT_EQ(h.chains[2].windowB.t1, 20.0f);
}

TEST(StrokeGeometry, RevealDistanceOnAStraightLine) {
  const std::vector<float> xs = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
  const std::vector<float> ys(xs.size(), 3.0f);
  for (float p : {0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 1.0f}) {
    EXPECT_NEAR(RevealDistance(xs, ys, 100.0f, p, 0.0f), 100.0f * p, 1e-3f) << p;
    const float smooth = (3.0f - 2.0f * p) * p * p;
    EXPECT_NEAR(RevealDistance(xs, ys, 100.0f, p, 3.0f), 100.0f * smooth, 1e-3f) << p;
  }
  EXPECT_EQ(RevealDistance(xs, ys, 100.0f, 1.7f, 0.0f), 100.0f);  // clamped
  EXPECT_EQ(RevealDistance(std::span<const float>(xs).first(1), ys, 100.0f, 1.7f, 0.0f), 170.0f);
}

TEST(StrokeGeometry, RevealDistanceSlowsInCurves) {
  // Straight run, then a hairpin: the pen spends longer around the bend, so
  // at half time it has not yet reached half the length.
  std::vector<float> xs, ys;
  for (int i = 0; i <= 40; ++i) xs.push_back(static_cast<float>(i)), ys.push_back(0.0f);
  for (int i = 1; i <= 20; ++i) {
    const float a = static_cast<float>(i) / 20.0f * std::numbers::pi_v<float>;
    xs.push_back(40.0f + 5.0f * std::sin(a));
    ys.push_back(5.0f - 5.0f * std::cos(a));
  }
  for (int i = 1; i <= 40; ++i) xs.push_back(40.0f - static_cast<float>(i)), ys.push_back(10.0f);
  float length = 0.0f;
  for (size_t i = 1; i < xs.size(); ++i) length += std::hypot(xs[i] - xs[i - 1], ys[i] - ys[i - 1]);
  float previous = -1.0f;
  for (int step = 0; step <= 20; ++step) {
    const float reached = RevealDistance(xs, ys, length, step / 20.0f, 1.5f);
    EXPECT_GE(reached, previous);  // monotonic
    previous = reached;
  }
  EXPECT_NEAR(previous, length, 1e-3f);
  // Around the bend (in the middle) the pen is slower than a plain linear one.
  const float atBendStart = RevealDistance(xs, ys, length, 0.45f, 1.5f);
  const float atBendEnd = RevealDistance(xs, ys, length, 0.55f, 1.5f);
  EXPECT_LT(atBendEnd - atBendStart, 0.1f * length);
}

TEST(StrokeGeometry, ExtractSubPath) {
  const ChainRecord chain = ChainThrough({{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}});
  const std::vector<FloatPoint> whole = ExtractSubPath(chain, 0.0f, 1000.0f);
  ASSERT_EQ(whole.size(), 4u);  // the zero-length segment is dropped
  EXPECT_EQ(whole[1].x, 10.0f);
  EXPECT_EQ(whole[3].y, 10.0f);

  const std::vector<FloatPoint> middle = ExtractSubPath(chain, 5.0f, 17.5f);
  ASSERT_EQ(middle.size(), 3u);
  EXPECT_EQ(middle[0].x, 5.0f);
  EXPECT_EQ(middle[1].x, 10.0f);
  EXPECT_EQ(middle[1].y, 0.0f);
  EXPECT_EQ(middle[2].y, 7.5f);

  const std::vector<FloatPoint> inside = ExtractSubPath(chain, 22.0f, 24.0f);
  ASSERT_EQ(inside.size(), 2u);
  EXPECT_EQ(inside[0].x, 8.0f);
  EXPECT_EQ(inside[1].x, 6.0f);

  EXPECT_TRUE(ExtractSubPath(chain, 5.0f, 5.0f).empty());
  EXPECT_TRUE(ExtractSubPath(ChainThrough({{1, 1}}), 0.0f, 5.0f).empty());
}

}  // namespace
