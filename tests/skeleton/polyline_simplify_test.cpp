#include "skeleton/polyline_simplify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/skeleton/simple_extraction_reference.h"

namespace {

std::vector<IntPoint> Points(std::initializer_list<std::pair<int32_t, int32_t>> list) {
  std::vector<IntPoint> points;
  for (auto [x, y] : list) points.push_back({x, y});
  return points;
}

void ExpectSamePoints(const std::vector<IntPoint>& actual, const std::vector<IntPoint>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_TRUE(PointsEqual(actual[i], expected[i])) << "point " << i;
  }
}

TEST(SimplifyRdp, ShortChainsComeBackAsExactCopies) {
  ChainRecord chain;
  chain.points = Points({{1, 2}, {9, 9}});
  chain.inT = {{1.0f, 0.0f}, {0.0f, 0.0f}};
  chain.outT = {{0.5f, 0.5f}, {0.0f, 0.0f}};
  chain.fpoints = {{1.2f, 2.0f}, {9.0f, 9.3f}};
  chain.closed = 1;
  const ChainRecord copy = SimplifyRdp(chain, kSimplifyTolerance);
  ExpectSamePoints(copy.points, chain.points);
  EXPECT_EQ(copy.inT.size(), 2u);
  EXPECT_EQ(copy.outT.size(), 2u);
  EXPECT_EQ(copy.fpoints.size(), 2u);
  EXPECT_EQ(copy.fpoints[1].y, 9.3f);
  EXPECT_EQ(copy.closed, 1);
  EXPECT_TRUE(SimplifyRdp(ChainRecord{}, kSimplifyTolerance).points.empty());
}

TEST(SimplifyRdp, KeepsCornersAndDropsPointsWithinTolerance) {
  ChainRecord collinear;
  collinear.points = Points({{0, 0}, {1, 1}, {2, 2}});
  collinear.fpoints = {{0, 0}, {1, 1}, {2, 2}};
  collinear.closed = 1;
  const ChainRecord straight = SimplifyRdp(collinear, kSimplifyTolerance);
  ExpectSamePoints(straight.points, Points({{0, 0}, {2, 2}}));
  EXPECT_EQ(straight.closed, 1);
  EXPECT_TRUE(straight.fpoints.empty());

  ChainRecord corner;
  for (int32_t x = 0; x <= 10; ++x) corner.points.push_back({x, 0});
  for (int32_t y = 1; y <= 10; ++y) corner.points.push_back({10, y});
  ExpectSamePoints(SimplifyRdp(corner, kSimplifyTolerance).points, Points({{0, 0}, {10, 0}, {10, 10}}));

  // A deviation equal to the tolerance is dropped, a larger one kept.
  ChainRecord bump;
  bump.points = Points({{0, 0}, {5, 2}, {10, 0}});
  EXPECT_EQ(SimplifyRdp(bump, 2.0f).points.size(), 2u);
  EXPECT_EQ(SimplifyRdp(bump, 1.99f).points.size(), 3u);

  // Distance is to the segment, not the line: a point beyond an end counts
  // its distance to that end.
  ChainRecord overshoot;
  overshoot.points = Points({{0, 0}, {14, 0}, {10, 0}});
  ExpectSamePoints(SimplifyRdp(overshoot, kSimplifyTolerance).points, Points({{0, 0}, {14, 0}, {10, 0}}));
}

TEST(SimplifyRdp, LoopReturningToItsStartKeepsTheEarliestFarthestPoint) {
  ChainRecord loop;
  loop.points = Points({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {-4, 4}, {0, 0}});
  // (4,4) and (-4,4) are equally far from the shared end; the earlier one is
  // taken, then each half is simplified on its own.
  ExpectSamePoints(SimplifyRdp(loop, kSimplifyTolerance).points,
                   Points({{0, 0}, {4, 0}, {4, 4}, {-4, 4}, {0, 0}}));
}

TEST(SimplifyRdp, MatchesPlainRecursionOnRandomWalks) {
  std::mt19937 rng(7);
  for (int32_t trial = 0; trial < 300; ++trial) {
    const int32_t count = std::uniform_int_distribution<int32_t>(3, 400)(rng);
    std::vector<IntPoint> points{{0, 0}};
    for (int32_t i = 1; i < count; ++i) {
      const IntPoint last = points.back();
      points.push_back({last.x + std::uniform_int_distribution<int32_t>(-1, 1)(rng),
                        last.y + std::uniform_int_distribution<int32_t>(-1, 1)(rng)});
    }
    const float tolerance = std::uniform_real_distribution<float>(0.0f, 6.0f)(rng);
    std::vector<bool> expectedKeep(points.size(), false);
    expectedKeep.front() = expectedKeep.back() = true;
    simple_extraction_reference::RdpStep(points, 0, count - 1, tolerance, expectedKeep);
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    SimplifyRdpStep(points, 0, count - 1, tolerance, keep);
    ASSERT_EQ(keep, expectedKeep) << "trial " << trial;
  }
}

TEST(SimplifyRdp, SplitsThatPeelOnePointAtATimeKeepEveryCorner) {
  // A loop from the origin round the four corners of a diamond, many times.
  // Every corner ties at distance 3 from the segment back to the origin, so
  // each split takes the next point: the splitting goes as deep as the chain
  // is long, which a plain recursion would have to hold on the call stack.
  const IntPoint corners[4] = {{3, 0}, {0, 3}, {-3, 0}, {0, -3}};
  ChainRecord loop;
  loop.points.push_back({0, 0});
  for (int32_t i = 0; i < 8000; ++i) loop.points.push_back(corners[i % 4]);
  loop.points.push_back({0, 0});
  const ChainRecord simplified = SimplifyRdp(loop, kSimplifyTolerance);
  ExpectSamePoints(simplified.points, loop.points);
}

TEST(SimplifyRdp, NegativeOrNanToleranceEndsWhereNoPointDeviates) {
  // Every point lies on its segment, so no split point exists; a tolerance
  // below zero must not keep splitting at the range's own first point.
  ChainRecord straight;
  straight.points = Points({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  ExpectSamePoints(SimplifyRdp(straight, -1.0f).points, Points({{0, 0}, {3, 0}}));
  ExpectSamePoints(SimplifyRdp(straight, std::nanf("")).points, Points({{0, 0}, {3, 0}}));
  // Points off the segment are all kept.
  ChainRecord bent;
  bent.points = Points({{0, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 0}});
  ExpectSamePoints(SimplifyRdp(bent, -1.0f).points, Points({{0, 0}, {1, 1}, {2, 0}, {4, 0}}));
}

TEST(PolylineLength, SumsSegmentLengths) {
  EXPECT_EQ(PolylineLength({}), 0.0f);
  EXPECT_EQ(PolylineLength(Points({{3, 3}})), 0.0f);
  EXPECT_EQ(PolylineLength(Points({{0, 0}, {3, 4}, {3, 5}})), 6.0f);
  EXPECT_FLOAT_EQ(PolylineLength(Points({{0, 0}, {1, 1}, {0, 0}})), 2.0f * std::sqrt(2.0f));
}

}  // namespace
