#include "skeleton/chain_operations.h"

#include <gtest/gtest.h>

#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

TEST(ChainOrderKey, AddsWeightedHeightToDistance) {
  EXPECT_EQ(ChainOrderKey(0.0f, 0.0f, 0.25f, IntPoint{3, 4}), 6.0f);
  EXPECT_EQ(ChainOrderKey(FloatPoint{3.0f, 4.0f}, -0.5f, IntPoint{3, 8}), 0.0f);
}

TEST(MergeChainPair, JoinsAtTheNearestEndsAndReportsTheNewIndex) {
  // Each pairing of ends in turn; with all four gaps equal, A then B.
  const std::vector<IntPoint> a = {{0, 0}, {5, 0}}, b = {{6, 0}, {20, 0}}, p = {{0, 0}, {0, 0}}, q = {{3, 4}, {3, 4}};
  const std::vector<IntPoint> ra(a.rbegin(), a.rend()), rb(b.rbegin(), b.rend());
  const PairList joined = {{0, 0}, {5, 0}, {6, 0}, {20, 0}}, pq = {{0, 0}, {0, 0}, {3, 4}, {3, 4}};
  for (const auto& [first, second, expected] :
       {std::tuple{a, b, joined}, {a, rb, joined}, {ra, b, joined}, {ra, rb, joined}, {p, q, pq}}) {
    std::vector<ChainRecord> chains = {Chain(first), Chain(second)};
    chains[0].fpoints = chains[0].inT = chains[0].outT = {{0, 0}, {1, 1}};
    EXPECT_EQ(MergeChainPair(chains, true, 0, 1), 0);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(Pairs(chains[0]), expected);
    EXPECT_TRUE(chains[0].fpoints.empty() && chains[0].inT.empty() && chains[0].outT.empty());
  }
  // Without autoFlip the order is kept; a later target moves down when an earlier chain merges into it.
  std::vector<ChainRecord> six;
  for (int32_t i = 0; i < 6; ++i) six.push_back(Chain({{i, 0}, {i, 1}}));
  EXPECT_EQ(MergeChainPair(six, false, 5, 3), 4);
  EXPECT_EQ(Pairs(six[4]), (PairList{{5, 0}, {5, 1}, {3, 0}, {3, 1}}));
  EXPECT_EQ(MergeChainPair(six, false, 0, 4), 0);
  EXPECT_EQ(Pairs(six[0]), (PairList{{0, 0}, {0, 1}, {5, 0}, {5, 1}, {3, 0}, {3, 1}}));
  // Impossible pairs change nothing: out of range, the same chain, fewer than two points, closed.
  const std::vector<ChainRecord> original = {Chain(a), Chain({{5, 5}}), Chain({{0, 0}, {1, 0}, {1, 1}}, true), Chain(b)};
  std::vector<ChainRecord> chains = original;
  for (const auto& [i, j] : {std::pair{0, 0}, {-1, 0}, {0, -1}, {0, 4}, {4, 0}, {0, 1}, {1, 0}, {0, 2}, {2, 3}}) {
    EXPECT_EQ(MergeChainPair(chains, true, i, j), -1) << i << "," << j;
  }
  EXPECT_TRUE(SameChains(chains, original));
}

}  // namespace
