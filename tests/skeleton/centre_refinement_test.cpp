#include "skeleton/centre_refinement.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include <cmath>

#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::Chain;

// Rows 8 to 12 form a band across the width: 1, 2, 3, 2, 1 down every column, as the distance transform gives.
DistanceField BandField() {
  DistanceField field{std::vector<float>(400, 0.0f), 20, 20};
  for (int32_t i = 8 * 20; i < 13 * 20; ++i) field.values[i] = 3.0f - std::fabs(static_cast<float>(i / 20 - 10));
  return field;
}

// The refined y of each point; refinement moves points across the chain only.
std::vector<float> RefinedY(ChainRecord chain, const DistanceField& field) {
  std::vector<ChainRecord> chains = {chain};
  RefineChainCenters(chains, field);
  std::vector<float> ys;
  for (size_t i = 0; i < chains[0].fpoints.size(); ++i) {
    EXPECT_EQ(chains[0].fpoints[i].x, chain.points.at(i).x);
    ys.push_back(chains[0].fpoints[i].y);
  }
  return ys;
}

TEST(CentreRefinement, MovesPointsAcrossOntoTheRidge) {
  const DistanceField band = BandField();
  // Best sample three steps of 0.3125 across, then the parabola's vertex another 0.125 step on.
  const float below = 9.0f + 3.125f * 0.3125f;
  EXPECT_EQ(RefinedY(Chain({{2, 9}, {9, 9}, {15, 9}}), band), std::vector<float>(3, below));
  EXPECT_EQ(RefinedY(Chain({{15, 9}, {2, 9}}), band), std::vector<float>(2, below));
  EXPECT_EQ(RefinedY(Chain({{2, 11}, {15, 11}}), band), std::vector<float>(2, 20.0f - below));
  // A flat tie that includes the centre keeps the point; so does a point whose neighbours coincide.
  const DistanceField flat{std::vector<float>(400, 2.0f), 20, 20};
  EXPECT_EQ(RefinedY(Chain({{3, 10}, {9, 10}}), flat), std::vector<float>(2, 10.0f));
  EXPECT_EQ(RefinedY(Chain({{5, 9}, {6, 9}, {5, 9}}), band)[1], 9.0f);
  EXPECT_TRUE(RefinedY(Chain({{5, 9}}), band).empty());
}

TEST(CentreRefinement, ClosedChainWithARepeatedEndStaysClosed) {
  DistanceField field{std::vector<float>(400, 0.0f), 20, 20};
  for (int32_t i = 0; i < 400; ++i) field.values[i] = 10.0f - std::fabs(i % 20 - 9.7f) - std::fabs(i / 20 - 10.3f);
  std::vector<ChainRecord> chains = {Chain({{6, 6}, {12, 6}, {13, 12}, {7, 13}, {6, 6}}, true)};
  RefineChainCenters(chains, field);
  const FloatPoint first = chains[0].fpoints.at(0), last = chains[0].fpoints.back();
  EXPECT_EQ(std::tuple(first.x, first.y), std::tuple(last.x, last.y));
  EXPECT_NE(first.y, 6.0f);
}

// Border points sample inside the field (checked by the sanitizer build); a field whose values do not match its
// size, or one under 2 x 2, leaves every chain alone.
TEST(CentreRefinement, BorderPointsSampleInsideTheFieldAndBadSizesWriteNothing) {
  std::vector<ChainRecord> chains = {Chain({{0, 0}, {19, 0}}), Chain({{19, 19}, {0, 19}}), Chain({{19, 0}, {19, 19}})};
  RefineChainCenters(chains, BandField());
  EXPECT_EQ(chains[2].fpoints.at(1).x, 19.0f);
  EXPECT_EQ(SampleFieldBilinear(BandField(), 19.0f, 12.0f), 1.0f);
  chains[0].fpoints = {FloatPoint{-7.0f, -7.0f}};
  DistanceField mismatched = BandField();
  mismatched.width = 21;
  RefineChainCenters(chains, mismatched);
  RefineChainCenters(chains, DistanceField{std::vector<float>(2, 1.0f), 2, 1});
  EXPECT_EQ(chains[0].fpoints.size(), 1u);
}

}  // namespace
