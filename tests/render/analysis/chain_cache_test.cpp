#include "render/analysis/chain_cache.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

TEST(ChainCache, PublishReplacesEverythingAndEndGapsReadIt) {
  ChainRecord fitted = Chain({{0, 0}, {5, 0}}, true);
  fitted.fpoints = {{1.2f, 2.0f}, {3.0f, 4.4f}};
  PublishChainCache({fitted, Chain({{6, 1}, {20, 1}}), Chain({}), Chain({{9, 9}})}, 640, 480, 5, {10, 20, 30});
  const ChainCache cache = SnapshotChainCache();
  ASSERT_EQ(cache.chains.size(), 4u);
  EXPECT_EQ(Pairs(cache.chains[0]), (PairList{{0, 0}, {5, 0}}));
  EXPECT_EQ(std::tuple(cache.width, cache.height, cache.strokeWidth, cache.valid), std::tuple(640, 480, 5, 1));
  EXPECT_EQ(cache.strokeColor, (std::array<uint8_t, 3>{10, 20, 30}));
  // The smallest squared distance between the two chains' ends.
  EXPECT_EQ(ChainEndGap(0, 1), 2.0f);
  EXPECT_EQ(ChainEndGap(1, 0), 2.0f);
  EXPECT_EQ(ChainEndGap(0, 3), 81.0f + 16.0f);
  for (const auto& [a, b] : {std::pair{0, 2}, {0, 4}, {4, 0}, {-1, 0}}) EXPECT_EQ(ChainEndGap(a, b), 1e30f) << a << b;
  PublishChainCache({}, 32, 16, 1, {0, 0, 0});  // an empty frame stays valid
  EXPECT_EQ(std::tuple(SnapshotChainCache().chains.size(), SnapshotChainCache().valid), std::tuple(0u, 1));
  EXPECT_EQ(ChainEndGap(0, 0), 1e30f);
}

}  // namespace
