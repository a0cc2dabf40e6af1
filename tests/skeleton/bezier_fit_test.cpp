#include "skeleton/bezier_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

FloatPoint Sub(FloatPoint a, FloatPoint b) { return FloatPoint{a.x - b.x, a.y - b.y}; }
FloatPoint Add(FloatPoint a, FloatPoint b) { return FloatPoint{a.x + b.x, a.y + b.y}; }
float Length(FloatPoint v) { return std::sqrt(v.x * v.x + v.y * v.y); }
bool Same(FloatPoint a, FloatPoint b) { return a.x == b.x && a.y == b.y; }

ChainRecord ChainOfPixels(std::initializer_list<IntPoint> pixels) {
  ChainRecord chain;
  chain.points = pixels;
  return chain;
}

// The plain recursive form of the fit, to check the stack-driven one against.
void FitReference(const std::vector<FloatPoint>& d, int32_t first, int32_t last, FloatPoint t1, FloatPoint t2,
                  float tolerance, std::vector<CubicSegment>& out) {
  if (last - first == 1) {
    const float third = Length(Sub(d[last], d[first])) / 3.0f;
    out.push_back(CubicSegment{d[first], FloatPoint{d[first].x + third * t1.x, d[first].y + third * t1.y},
                               FloatPoint{d[last].x + third * t2.x, d[last].y + third * t2.y}, d[last]});
    return;
  }
  const CubicSegment s = GenerateBezier(d, first, last, t1, t2);
  int32_t split = 0;
  if (BezierMaxError(d, first, last, s, split) < tolerance) {
    out.push_back(s);
    return;
  }
  FloatPoint c = Sub(d[split - 1], d[split + 1]);
  const float len = Length(c);
  c = len <= 1e-6f ? FloatPoint{0.0f, 0.0f} : FloatPoint{c.x / len, c.y / len};
  FitReference(d, first, split, t1, c, tolerance, out);
  FitReference(d, split, last, FloatPoint{-c.x, -c.y}, t2, tolerance, out);
}

// Smooth wiggly curves with a little noise, or digital staircases of arcs:
// no point repeats, so fitted anchors can be matched back to the data.
std::vector<FloatPoint> GenerateCurve(std::mt19937& rng, bool pixelStaircase) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const int32_t count = 3 + static_cast<int32_t>(unit(rng) * 300.0f);
  std::vector<FloatPoint> data;
  if (pixelStaircase) {
    const float radius = 20.0f + unit(rng) * 200.0f;
    const float a0 = unit(rng) * 6.0f;
    IntPoint last{INT32_MIN, INT32_MIN};
    for (int32_t i = 0; i < 4 * count && data.size() < static_cast<size_t>(count); ++i) {
      const float a = a0 + static_cast<float>(i) * 0.25f / radius;
      const IntPoint p{static_cast<int32_t>(std::lround(radius * std::cos(a))),
                       static_cast<int32_t>(std::lround(radius * std::sin(a)))};
      if (!PointsEqual(p, last)) data.push_back(FloatPoint{static_cast<float>(p.x), static_cast<float>(p.y)});
      last = p;
    }
    return data;
  }
  const float f1 = unit(rng) * 0.2f, f2 = unit(rng) * 0.05f, amp = unit(rng) * 30.0f;
  for (int32_t i = 0; i < count; ++i) {
    const float s = static_cast<float>(i);
    data.push_back(FloatPoint{s * (0.5f + unit(rng) * 0.5f) + amp * std::sin(s * f2),
                              amp * std::sin(s * f1) + unit(rng) * 0.4f});
  }
  return data;
}

TEST(BezierFit, ChainsBelowThreePointsAreUnchanged) {
  for (ChainRecord chain : {ChainOfPixels({}), ChainOfPixels({{3, 4}}), ChainOfPixels({{3, 4}, {9, 9}})}) {
    chain.fpoints.assign(chain.points.size(), FloatPoint{0.5f, 0.5f});
    const ChainRecord before = chain;
    FitChainBeziers(chain, 0.0f);
    EXPECT_EQ(chain.points.size(), before.points.size());
    EXPECT_EQ(chain.fpoints.size(), before.fpoints.size());
    EXPECT_TRUE(chain.inT.empty() && chain.outT.empty());
  }
}

TEST(BezierFit, CollinearEvenPointsGiveOneSegmentWithThirdHandles) {
  ChainRecord chain = ChainOfPixels({{0, 0}, {1, 0}, {2, 0}});
  chain.closed = 1;  // kept as it was
  FitChainBeziers(chain, 0.5f);
  ASSERT_EQ(chain.points.size(), 2u);
  EXPECT_TRUE(PointsEqual(chain.points[0], IntPoint{0, 0}));
  EXPECT_TRUE(PointsEqual(chain.points[1], IntPoint{2, 0}));
  EXPECT_TRUE(Same(chain.inT[0], FloatPoint{0.0f, 0.0f}));
  EXPECT_FLOAT_EQ(chain.inT[1].x, -2.0f / 3.0f);
  EXPECT_EQ(chain.inT[1].y, 0.0f);
  EXPECT_FLOAT_EQ(chain.outT[0].x, 2.0f / 3.0f);
  EXPECT_TRUE(Same(chain.outT[1], FloatPoint{0.0f, 0.0f}));
  EXPECT_EQ(chain.closed, 1);
}

TEST(BezierFit, ZeroToleranceSplitsIntoTwoPointSegments) {
  ChainRecord chain = ChainOfPixels({{0, 0}, {3, 0}, {3, 4}, {7, 7}, {7, 9}, {1, 12}});
  const std::vector<IntPoint> original = chain.points;
  FitChainBeziers(chain, 0.0f);
  ASSERT_EQ(chain.points.size(), original.size());
  for (size_t i = 0; i < original.size(); ++i) {
    EXPECT_TRUE(PointsEqual(chain.points[i], original[i]));
  }
  // Each segment's handles are a third of its length.
  for (size_t i = 0; i + 1 < original.size(); ++i) {
    const float third = Length(Sub(chain.fpoints[i + 1], chain.fpoints[i])) / 3.0f;
    EXPECT_NEAR(Length(chain.outT[i]), third, 1e-5f);
    EXPECT_NEAR(Length(chain.inT[i + 1]), third, 1e-5f);
  }
  // Negative tolerance behaves the same.
  ChainRecord negative = ChainOfPixels({{0, 0}, {3, 0}, {3, 4}, {7, 7}, {7, 9}, {1, 12}});
  FitChainBeziers(negative, -1.0f);
  EXPECT_EQ(negative.points.size(), original.size());
}

TEST(BezierFit, ErrorEqualToToleranceIsSplit) {
  const std::vector<FloatPoint> data = {{0, 0}, {1, 0}, {2, 1}, {3, 3}, {4, 6}};
  const FloatPoint t1{1.0f, 0.0f};
  const FloatPoint t2 = FloatPoint{-1.0f / std::sqrt(10.0f), -3.0f / std::sqrt(10.0f)};
  int32_t split = 0;
  const float error = BezierMaxError(data, 0, 4, GenerateBezier(data, 0, 4, t1, t2), split);
  ASSERT_GT(error, 0.0f);
  std::vector<CubicSegment> atError, aboveError;
  FitBezierRecursive(data, 0, 4, t1, t2, error, atError);
  FitBezierRecursive(data, 0, 4, t1, t2, std::nextafter(error, 1e9f), aboveError);
  EXPECT_GT(atError.size(), 1u);
  EXPECT_EQ(aboveError.size(), 1u);
}

TEST(BezierFit, AnchorsRoundTowardZeroAfterAddingHalf) {
  ChainRecord chain = ChainOfPixels({{-1, 0}, {0, 3}, {-2, 6}});
  chain.fpoints = {FloatPoint{-1.25f, 0.0f}, FloatPoint{0.3f, 3.0f}, FloatPoint{-1.6f, 6.49f}};
  FitChainBeziers(chain, 0.0f);
  ASSERT_EQ(chain.points.size(), 3u);
  EXPECT_TRUE(PointsEqual(chain.points[0], IntPoint{0, 0}));   // int(-0.75) = 0
  EXPECT_TRUE(PointsEqual(chain.points[2], IntPoint{-1, 6}));  // int(-1.1) = -1
  EXPECT_EQ(chain.fpoints[0].x, -1.25f);
}

TEST(BezierFit, StaleSubPixelPointsAreIgnored) {
  ChainRecord chain = ChainOfPixels({{0, 0}, {1, 0}, {2, 0}});
  chain.fpoints = {FloatPoint{50.0f, 50.0f}};
  FitChainBeziers(chain, 1.0f);
  ASSERT_EQ(chain.points.size(), 2u);
  EXPECT_TRUE(Same(chain.fpoints[0], FloatPoint{0.0f, 0.0f}));
  EXPECT_TRUE(Same(chain.fpoints[1], FloatPoint{2.0f, 0.0f}));
}

TEST(BezierFit, StackDrivenFitMatchesPlainRecursion) {
  std::mt19937 rng(7);
  const float tolerances[] = {0.0f, 0.3f, 1.0f, 2.5f, 10.0f};
  for (int32_t trial = 0; trial < 200; ++trial) {
    const std::vector<FloatPoint> data = GenerateCurve(rng, trial % 2 == 0);
    const int32_t last = static_cast<int32_t>(data.size()) - 1;
    const FloatPoint t1{0.6f, 0.8f}, t2{-1.0f, 0.0f};
    const float tolerance = tolerances[trial % 5];
    std::vector<CubicSegment> fast, plain;
    FitBezierRecursive(data, 0, last, t1, t2, tolerance, fast);
    FitReference(data, 0, last, t1, t2, tolerance, plain);
    ASSERT_EQ(fast.size(), plain.size()) << "trial " << trial;
    for (size_t s = 0; s < fast.size(); ++s) {
      ASSERT_TRUE(Same(fast[s].p0, plain[s].p0) && Same(fast[s].p1, plain[s].p1) &&
                  Same(fast[s].p2, plain[s].p2) && Same(fast[s].p3, plain[s].p3))
          << "trial " << trial << " segment " << s;
    }
  }
}

// Distance from q to the curve flattened into many straight pieces.
float DistanceToFlattened(const CubicSegment& s, FloatPoint q) {
  constexpr int32_t kPieces = 512;
  float best = 1e30f;
  FloatPoint a = s.p0;
  for (int32_t k = 1; k <= kPieces; ++k) {
    const FloatPoint b = EvaluateCubic(s, static_cast<float>(k) / kPieces);
    const FloatPoint ab = Sub(b, a), aq = Sub(q, a);
    const float len2 = ab.x * ab.x + ab.y * ab.y;
    float t = len2 > 0.0f ? (aq.x * ab.x + aq.y * ab.y) / len2 : 0.0f;
    t = std::fmax(0.0f, std::fmin(1.0f, t));
    best = std::fmin(best, Length(Sub(q, FloatPoint{a.x + t * ab.x, a.y + t * ab.y})));
    a = b;
  }
  return best;
}

TEST(BezierFit, FittedCurveStaysWithinToleranceOfTheDataItReplaced) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> toleranceDist(0.5f, 10.0f);
  for (int32_t trial = 0; trial < 150; ++trial) {
    const std::vector<FloatPoint> data = GenerateCurve(rng, trial % 3 == 0);
    const float tolerance = toleranceDist(rng);
    ChainRecord chain;
    for (const FloatPoint& f : data) chain.points.push_back(IntPoint{static_cast<int32_t>(f.x), static_cast<int32_t>(f.y)});
    chain.fpoints = data;
    FitChainBeziers(chain, tolerance);

    const size_t m = chain.points.size();
    ASSERT_GE(m, 2u);
    ASSERT_EQ(chain.fpoints.size(), m);
    ASSERT_EQ(chain.inT.size(), m);
    ASSERT_EQ(chain.outT.size(), m);
    EXPECT_TRUE(Same(chain.inT.front(), FloatPoint{0.0f, 0.0f}));
    EXPECT_TRUE(Same(chain.outT.back(), FloatPoint{0.0f, 0.0f}));

    // Anchors are data points, in order, from the first to the last.
    std::vector<int32_t> anchorIndex;
    size_t next = 0;
    for (size_t j = 0; j < m; ++j) {
      while (next < data.size() && !Same(data[next], chain.fpoints[j])) ++next;
      ASSERT_LT(next, data.size()) << "anchor " << j << " is not a data point, trial " << trial;
      anchorIndex.push_back(static_cast<int32_t>(next++));
      EXPECT_EQ(chain.points[j].x, static_cast<int32_t>(chain.fpoints[j].x + 0.5f));
    }
    ASSERT_EQ(anchorIndex.front(), 0);
    ASSERT_EQ(anchorIndex.back(), static_cast<int32_t>(data.size()) - 1);

    for (size_t j = 0; j + 1 < m; ++j) {
      const CubicSegment s{chain.fpoints[j], Add(chain.fpoints[j], chain.outT[j]),
                           Add(chain.fpoints[j + 1], chain.inT[j + 1]), chain.fpoints[j + 1]};
      const int32_t first = anchorIndex[j], last = anchorIndex[j + 1];
      const std::vector<float> u = ChordLengthParams(data, first, last);
      for (int32_t i = first + 1; i < last; ++i) {
        EXPECT_LT(Length(Sub(data[i], EvaluateCubic(s, u[i - first]))), tolerance);
        EXPECT_LE(DistanceToFlattened(s, data[i]), tolerance + 0.01f);
      }
    }
  }
}

TEST(BezierFit, MillionPointChainWithZeroToleranceDoesNotExhaustTheStack) {
  constexpr int32_t kCount = 1000000;
  ChainRecord chain;
  chain.points.reserve(kCount);
  for (int32_t i = 0; i < kCount; ++i) {
    chain.points.push_back(IntPoint{i / 2, static_cast<int32_t>(40.0 * std::sin(i * 0.0007))});
  }
  FitChainBeziers(chain, 0.0f);
  EXPECT_GT(chain.points.size(), static_cast<size_t>(kCount / 2));
  EXPECT_EQ(chain.inT.size(), chain.points.size());
  EXPECT_EQ(chain.fpoints.size(), chain.points.size());
}

}  // namespace
