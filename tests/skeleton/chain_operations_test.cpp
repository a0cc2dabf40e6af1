#include "skeleton/chain_operations.h"

#include <gtest/gtest.h>

#include "skeleton/chain_cache.h"
#include "tests/skeleton/chain_builders.h"

namespace {

using chain_builders::Chain;
using chain_builders::Pairs;
using chain_builders::PairList;

TEST(ChainOrderKey, AddsWeightedHeightToDistance) {
  EXPECT_EQ(ChainOrderKey(0.0f, 0.0f, 0.25f, IntPoint{3, 4}), 6.0f);
  EXPECT_EQ(ChainOrderKey(FloatPoint{3.0f, 4.0f}, 0.25f, IntPoint{3, 4}), 1.0f);
  // Equally far, the higher point scores lower.
  EXPECT_LT(ChainOrderKey(10.0f, 10.0f, 0.25f, IntPoint{10, 5}), ChainOrderKey(10.0f, 10.0f, 0.25f, IntPoint{10, 15}));
}

TEST(ChainEndGap, MeasuresSquaredGapsBetweenCachedChainEnds) {
  PublishChainCache({Chain({{0, 0}, {5, 0}}), Chain({{6, 1}, {20, 1}}), Chain({}), Chain({{9, 9}})}, 30, 30, 2,
                    255, 255, 255);
  EXPECT_EQ(ChainEndGap(0, 1), 2.0f);  // diagonal touch
  EXPECT_EQ(ChainEndGap(1, 0), 2.0f);
  EXPECT_EQ(ChainEndGap(0, 0), 0.0f);
  EXPECT_EQ(ChainEndGap(0, 3), 81.0f + 16.0f);
  EXPECT_EQ(ChainEndGap(0, 2), 1e30f);
  EXPECT_EQ(ChainEndGap(0, 4), 1e30f);
  EXPECT_EQ(ChainEndGap(-1, 0), 1e30f);
}

TEST(MergeChainPair, RefusesImpossiblePairsWithoutChangingAnything) {
  ChainRecord closed = Chain({{0, 0}, {1, 0}, {1, 1}});
  closed.closed = 1;
  const std::vector<ChainRecord> original = {Chain({{0, 0}, {1, 0}}), Chain({{5, 5}}), closed,
                                             Chain({{3, 3}, {4, 4}})};
  std::vector<ChainRecord> chains = original;
  for (auto [a, b] : {std::pair{0, 0}, {-1, 0}, {0, -1}, {0, 4}, {4, 0}, {0, 1}, {1, 0}, {0, 2}, {2, 3}}) {
    EXPECT_EQ(MergeChainPair(chains, true, a, b), -1) << a << "," << b;
    EXPECT_EQ(MergeChainPair(chains, false, a, b), -1) << a << "," << b;
  }
  ASSERT_EQ(chains.size(), original.size());
  for (size_t i = 0; i < chains.size(); ++i) EXPECT_EQ(Pairs(chains[i]), Pairs(original[i]));
}

TEST(MergeChainPair, JoinsAtTheNearestEndsAndReportsTheNewIndex) {
  // Each row: A, B, expected merge with autoFlip.
  struct Case {
    ChainRecord a, b;
    PairList expected;
  };
  const Case cases[] = {
      {Chain({{0, 0}, {5, 0}}), Chain({{6, 0}, {20, 0}}), {{0, 0}, {5, 0}, {6, 0}, {20, 0}}},
      {Chain({{0, 0}, {5, 0}}), Chain({{20, 0}, {6, 0}}), {{0, 0}, {5, 0}, {6, 0}, {20, 0}}},
      {Chain({{5, 0}, {0, 0}}), Chain({{6, 0}, {20, 0}}), {{0, 0}, {5, 0}, {6, 0}, {20, 0}}},
      {Chain({{5, 0}, {0, 0}}), Chain({{20, 0}, {6, 0}}), {{0, 0}, {5, 0}, {6, 0}, {20, 0}}},
      // All four gaps equal: the first pairing, A then B, wins.
      {Chain({{0, 0}, {0, 0}}), Chain({{3, 4}, {3, 4}}), {{0, 0}, {0, 0}, {3, 4}, {3, 4}}},
  };
  for (const Case& c : cases) {
    std::vector<ChainRecord> chains = {c.a, c.b};
    chains[0].fpoints = {{0, 0}, {1, 1}};
    chains[0].inT = chains[0].outT = {{0, 0}, {1, 1}};
    EXPECT_EQ(MergeChainPair(chains, true, 0, 1), 0);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(Pairs(chains[0]), c.expected);
    EXPECT_TRUE(chains[0].fpoints.empty());
    EXPECT_TRUE(chains[0].inT.empty());
    EXPECT_TRUE(chains[0].outT.empty());
  }
  // Without autoFlip the order is kept, however far apart the ends are.
  std::vector<ChainRecord> chains = {Chain({{5, 0}, {0, 0}}), Chain({{20, 0}, {6, 0}})};
  EXPECT_EQ(MergeChainPair(chains, false, 0, 1), 0);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{5, 0}, {0, 0}, {20, 0}, {6, 0}}));

  std::vector<ChainRecord> six;
  for (int32_t i = 0; i < 6; ++i) six.push_back(Chain({{i, 0}, {i, 1}}));
  std::vector<ChainRecord> other = six;
  EXPECT_EQ(MergeChainPair(six, false, 5, 3), 4);
  EXPECT_EQ(Pairs(six[4]), (PairList{{5, 0}, {5, 1}, {3, 0}, {3, 1}}));
  EXPECT_EQ(Pairs(six[3]), (PairList{{4, 0}, {4, 1}}));
  EXPECT_EQ(MergeChainPair(other, false, 3, 5), 3);
  EXPECT_EQ(other.size(), 5u);
  EXPECT_EQ(Pairs(other[4]), (PairList{{4, 0}, {4, 1}}));
}

}  // namespace
