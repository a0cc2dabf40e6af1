#include "skeleton/bezier_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

bool Same(FloatPoint a, FloatPoint b) { return a.x == b.x && a.y == b.y; }

TEST(BezierFit, SmallChainsTiesAndRounding) {
  // Collinear and evenly spaced: one segment, handles a third of the chord; stale sub-pixel points are ignored.
  ChainRecord line = Chain({{0, 0}, {1, 0}, {2, 0}}, true);
  line.fpoints = {FloatPoint{50.0f, 50.0f}};
  FitChainBeziers(line, 0.5f);
  EXPECT_EQ(Pairs(line), (PairList{{0, 0}, {2, 0}}));
  EXPECT_TRUE(Same(line.fpoints[1], FloatPoint{2.0f, 0.0f}));
  EXPECT_FLOAT_EQ(line.outT[0].x, 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(line.inT[1].x, -2.0f / 3.0f);
  EXPECT_EQ(line.closed, 1);
  // Zero or negative tolerance: every point is an anchor; anchors round by int(v + 0.5).
  for (const float tolerance : {0.0f, -1.0f}) {
    ChainRecord chain = Chain({{-1, 0}, {3, 0}, {3, 4}, {7, 7}, {-2, 6}});
    chain.fpoints = {{-1.25f, 0.0f}, {3.0f, 0.0f}, {3.0f, 4.0f}, {7.0f, 7.0f}, {-1.6f, 6.49f}};
    FitChainBeziers(chain, tolerance);
    EXPECT_EQ(Pairs(chain), (PairList{{0, 0}, {3, 0}, {3, 4}, {7, 7}, {-1, 6}}));
    EXPECT_NEAR(Length(chain.outT[2]), 5.0f / 3.0f, 1e-5f);
    EXPECT_NEAR(Length(chain.inT[3]), 5.0f / 3.0f, 1e-5f);
  }
  // Least-squares handles longer than the chord are cut to it.
  const std::vector<FloatPoint> arch = {{0, 0}, {0, 5}, {1, 8}, {2, 5}, {2, 0}};
  const CubicSegment capped = GenerateBezier(arch, FitRange{0, 4, {0, 1}, {0, 1}});
  EXPECT_TRUE(Same(capped.p1, FloatPoint{0, 2}) && Same(capped.p2, FloatPoint{2, 2}));
}

// Smooth wiggly curves with a little noise, or pixel staircases of arcs; no point repeats.
std::vector<FloatPoint> GenerateCurve(std::mt19937& rng, bool staircase) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const int32_t count = 3 + static_cast<int32_t>(unit(rng) * 300.0f);
  std::vector<FloatPoint> data;
  const float radius = 20.0f + unit(rng) * 200.0f, a0 = unit(rng) * 6.0f;
  const float f1 = unit(rng) * 0.2f, f2 = unit(rng) * 0.05f, amp = unit(rng) * 30.0f;
  for (int32_t i = 0; static_cast<int32_t>(data.size()) < count && i < 4 * count; ++i) {
    const float s = static_cast<float>(i);
    const float a = a0 + s * 0.25f / radius;
    FloatPoint p{s * (0.5f + unit(rng) * 0.5f) + amp * std::sin(s * f2), amp * std::sin(s * f1) + unit(rng) * 0.4f};
    if (staircase) p = {std::round(radius * std::cos(a)), std::round(radius * std::sin(a))};
    if (data.empty() || !Same(p, data.back())) data.push_back(p);
  }
  return data;
}

// Anchors are data points in order, first to last; every data point between two anchors lies within the tolerance
// of the curve at its chord-length parameter; the handles at an inner anchor point opposite ways; counts agree.
TEST(BezierFit, FittedCurveStaysWithinToleranceOfTheDataItReplaced) {
  std::mt19937 rng(11);
  for (int32_t trial = 0; trial < 200; ++trial) {
    const std::vector<FloatPoint> data = GenerateCurve(rng, trial % 3 == 0);
    const float tolerance = std::uniform_real_distribution<float>(0.3f, 10.0f)(rng);
    ChainRecord chain;
    for (const FloatPoint& f : data) chain.points.push_back({static_cast<int32_t>(f.x), static_cast<int32_t>(f.y)});
    chain.fpoints = data;
    FitChainBeziers(chain, tolerance);
    const std::vector<FloatPoint>& at = chain.fpoints;
    const size_t m = chain.points.size();
    ASSERT_TRUE(m >= 2 && at.size() == m && chain.inT.size() == m && chain.outT.size() == m);
    EXPECT_TRUE(Same(chain.inT.front(), FloatPoint{}) && Same(chain.outT.back(), FloatPoint{}));
    for (size_t j = 0, next = 0, anchor = 0; j < m; ++j, anchor = next++) {
      while (next < data.size() && !Same(data[next], at[j])) ++next;
      ASSERT_TRUE(next < data.size() && (j > 0 || next == 0) && (j + 1 < m || next + 1 == data.size())) << trial;
      EXPECT_EQ(chain.points[j].x, static_cast<int32_t>(at[j].x + 0.5f));
      if (j == 0) continue;
      EXPECT_LE(j + 1 < m ? chain.inT[j].x * chain.outT[j].x + chain.inT[j].y * chain.outT[j].y : 0.0f, 0.0f);
      const CubicSegment s{at[j - 1], Add(at[j - 1], chain.outT[j - 1]), Add(at[j], chain.inT[j]), at[j]};
      const std::vector<float> u = ChordLengthParams(data, int32_t(anchor), int32_t(next));
      for (size_t i = anchor + 1; i < next; ++i) {
        EXPECT_LT(Length(Sub(data[i], EvaluateCubic(s, u[i - anchor]))), tolerance);
      }
    }
  }
}

TEST(BezierFit, MillionPointChainWithZeroToleranceDoesNotExhaustTheStack) {
  ChainRecord chain;
  for (int32_t i = 0; i < 1000000; ++i) chain.points.push_back({i / 2, int32_t(40.0 * std::sin(i * 0.0007))});
  FitChainBeziers(chain, 0.0f);
  EXPECT_GT(chain.points.size(), 500000u);
  EXPECT_EQ(chain.inT.size(), chain.points.size());
}

}  // namespace
