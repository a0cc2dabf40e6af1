#include "skeleton/centre_refinement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int32_t kSize = 20;

// Rows 8 to 12 form a band across the whole width: values 1, 2, 3, 2, 1 down
// every column, as the distance transform gives for such a band.
DistanceField BandField() {
  DistanceField field(static_cast<size_t>(kSize) * kSize, 0.0f);
  const float rowValues[5] = {1.0f, 2.0f, 3.0f, 2.0f, 1.0f};
  for (int32_t r = 0; r < 5; ++r) {
    for (int32_t x = 0; x < kSize; ++x) field[static_cast<size_t>(8 + r) * kSize + x] = rowValues[r];
  }
  return field;
}

ChainRecord HorizontalChain(int32_t y, int32_t fromX, int32_t toX) {
  ChainRecord chain;
  const int32_t step = fromX <= toX ? 1 : -1;
  for (int32_t x = fromX;; x += step) {
    chain.points.push_back(IntPoint{x, y});
    if (x == toX) break;
  }
  return chain;
}

TEST(CentreRefinement, MovesPointsOntoTheRidgeFromEitherSideAndDirection) {
  const DistanceField field = BandField();
  std::vector<ChainRecord> chains = {HorizontalChain(9, 2, 15), HorizontalChain(9, 15, 2),
                                     HorizontalChain(10, 2, 15), HorizontalChain(11, 2, 15)};
  RefineChainCenters(chains, field, kSize, kSize);

  const float expectedBelow = 9.0f + 3.0f * 0.3125f + 0.125f * 0.3125f;  // best sample 7, parabola step 0.125
  for (int32_t c = 0; c < 2; ++c) {
    ASSERT_EQ(chains[c].fpoints.size(), chains[c].points.size());
    for (size_t i = 0; i < chains[c].points.size(); ++i) {
      EXPECT_EQ(chains[c].fpoints[i].x, static_cast<float>(chains[c].points[i].x));
      EXPECT_FLOAT_EQ(chains[c].fpoints[i].y, expectedBelow) << "chain " << c << " point " << i;
    }
  }
  for (const FloatPoint& f : chains[2].fpoints) EXPECT_EQ(f.y, 10.0f);
  for (const FloatPoint& f : chains[3].fpoints) EXPECT_FLOAT_EQ(f.y, 11.0f - 3.0f * 0.3125f - 0.125f * 0.3125f);
}

TEST(CentreRefinement, ShortChainsAndDegenerateTangents) {
  const DistanceField field = BandField();
  ChainRecord single;
  single.points = {IntPoint{5, 9}};
  single.fpoints = {FloatPoint{1.0f, 1.0f}};  // stale, must go
  ChainRecord pair;
  pair.points = {IntPoint{5, 9}, IntPoint{6, 9}};
  ChainRecord doubledBack;
  doubledBack.points = {IntPoint{5, 9}, IntPoint{6, 9}, IntPoint{5, 9}};
  std::vector<ChainRecord> chains = {single, pair, doubledBack};
  RefineChainCenters(chains, field, kSize, kSize);

  EXPECT_TRUE(chains[0].fpoints.empty());
  ASSERT_EQ(chains[1].fpoints.size(), 2u);
  EXPECT_EQ(chains[1].fpoints[0].y, chains[1].fpoints[1].y);
  EXPECT_GT(chains[1].fpoints[0].y, 9.9f);
  // The middle point's neighbours coincide: it keeps its pixel position.
  ASSERT_EQ(chains[2].fpoints.size(), 3u);
  EXPECT_EQ(chains[2].fpoints[1].x, 6.0f);
  EXPECT_EQ(chains[2].fpoints[1].y, 9.0f);
}

TEST(CentreRefinement, ClosedLoopStaysClosedOnlyWithRepeatedEnd) {
  // A diamond-shaped field peak so that points really move.
  DistanceField field(static_cast<size_t>(kSize) * kSize, 0.0f);
  for (int32_t y = 0; y < kSize; ++y) {
    for (int32_t x = 0; x < kSize; ++x) {
      field[static_cast<size_t>(y) * kSize + x] = 10.0f - std::fabs(x - 9.7f) * 0.5f - std::fabs(y - 10.3f) * 0.7f;
    }
  }
  ChainRecord loop;
  loop.points = {IntPoint{6, 6}, IntPoint{12, 6}, IntPoint{13, 12}, IntPoint{7, 13}, IntPoint{6, 6}};
  loop.closed = 1;
  ChainRecord withoutRepeat = loop;
  withoutRepeat.points.pop_back();
  ChainRecord openCopy = withoutRepeat;
  openCopy.closed = 0;
  std::vector<ChainRecord> chains = {loop, withoutRepeat, openCopy};
  RefineChainCenters(chains, field, kSize, kSize);

  EXPECT_EQ(chains[0].fpoints.front().x, chains[0].fpoints.back().x);
  EXPECT_EQ(chains[0].fpoints.front().y, chains[0].fpoints.back().y);
  EXPECT_FALSE(chains[0].fpoints[0].x == 6.0f && chains[0].fpoints[0].y == 6.0f);
  // Without the repeat a closed chain is refined exactly like an open one.
  for (size_t i = 0; i < chains[1].fpoints.size(); ++i) {
    EXPECT_EQ(chains[1].fpoints[i].x, chains[2].fpoints[i].x);
    EXPECT_EQ(chains[1].fpoints[i].y, chains[2].fpoints[i].y);
  }
}

TEST(CentreRefinement, BorderPointsSampleInsideTheField) {
  // The sanitizer build turns any read outside the field into a failure.
  const int32_t width = 7, height = 5;
  DistanceField field(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < field.size(); ++i) field[i] = static_cast<float>(i % 5);
  ChainRecord top = HorizontalChain(0, 0, width - 1);
  ChainRecord bottom = HorizontalChain(height - 1, width - 1, 0);
  ChainRecord right;
  for (int32_t y = 0; y < height; ++y) right.points.push_back(IntPoint{width - 1, y});
  std::vector<ChainRecord> chains = {top, bottom, right};
  RefineChainCenters(chains, field, width, height);
  for (const ChainRecord& chain : chains) {
    ASSERT_EQ(chain.fpoints.size(), chain.points.size());
    for (size_t i = 0; i < chain.points.size(); ++i) {
      EXPECT_TRUE(std::isfinite(chain.fpoints[i].x) && std::isfinite(chain.fpoints[i].y));
      EXPECT_LE(std::fabs(chain.fpoints[i].x - chain.points[i].x), 1.5f);
      EXPECT_LE(std::fabs(chain.fpoints[i].y - chain.points[i].y), 1.5f);
    }
  }
  // The last column and row are read through the cell before them.
  EXPECT_EQ(SampleFieldBilinear(field, width, height, 6.0f, 4.0f), field[4 * width + 6]);
  EXPECT_EQ(SampleFieldBilinear(field, width, height, 6.0f, 0.0f), field[6]);
}

TEST(CentreRefinement, WrongFieldOrTinyMaskWritesNothing) {
  const DistanceField field = BandField();
  ChainRecord chain = HorizontalChain(9, 2, 6);
  chain.fpoints = {FloatPoint{-7.0f, -7.0f}};
  std::vector<ChainRecord> chains = {chain};
  RefineChainCenters(chains, field, kSize + 1, kSize);
  RefineChainCenters(chains, DistanceField(1, 1.0f), 1, 1);
  RefineChainCenters(chains, DistanceField(2, 1.0f), 2, 1);
  ASSERT_EQ(chains[0].fpoints.size(), 1u);
  EXPECT_EQ(chains[0].fpoints[0].x, -7.0f);
}

TEST(CentreRefinement, FlatTieIncludingCentreKeepsThePoint) {
  const DistanceField field(static_cast<size_t>(kSize) * kSize, 2.0f);
  std::vector<ChainRecord> chains = {HorizontalChain(10, 3, 9)};
  RefineChainCenters(chains, field, kSize, kSize);
  for (size_t i = 0; i < chains[0].points.size(); ++i) {
    EXPECT_EQ(chains[0].fpoints[i].x, static_cast<float>(chains[0].points[i].x));
    EXPECT_EQ(chains[0].fpoints[i].y, 10.0f);
  }
}

}  // namespace
