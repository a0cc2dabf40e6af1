#include "skeleton/chain_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "skeleton/chain_operations.h"
#include "tests/skeleton/chain_builders.h"

namespace {

using chain_builders::Chain;

TEST(ChainCache, StartsInvalidWithDefaultStroke) {
  const ChainCache cache = SnapshotChainCache();
  if (cache.valid != 0) GTEST_SKIP() << "another test of this process published first";
  EXPECT_TRUE(cache.chains.empty());
  EXPECT_EQ(cache.width, 0);
  EXPECT_EQ(cache.height, 0);
  EXPECT_EQ(cache.strokeWidth, 2);
  EXPECT_EQ(cache.strokeColor, (std::array<uint8_t, 3>{255, 255, 255}));
  EXPECT_EQ(ChainEndGap(0, 0), 1e30f);
}

TEST(ChainCache, PublishReplacesEverythingAndEmptyFramesStayValid) {
  ChainRecord fitted = Chain({{1, 2}, {3, 4}});
  fitted.fpoints = {{1.2f, 2.0f}, {3.0f, 4.4f}};
  fitted.closed = 1;
  PublishChainCache({fitted, Chain({{7, 7}})}, 640, 480, 5, 10, 20, 30);
  ChainCache cache = SnapshotChainCache();
  ASSERT_EQ(cache.chains.size(), 2u);
  ASSERT_EQ(cache.chains[0].size(), 2u);
  EXPECT_EQ(cache.chains[0][1].x, 3);
  EXPECT_EQ(cache.chains[0][1].y, 4);
  EXPECT_EQ(cache.chains[1].size(), 1u);
  EXPECT_EQ(cache.width, 640);
  EXPECT_EQ(cache.height, 480);
  EXPECT_EQ(cache.strokeWidth, 5);
  EXPECT_EQ(cache.strokeColor, (std::array<uint8_t, 3>{10, 20, 30}));
  EXPECT_EQ(cache.valid, 1);

  PublishChainCache({}, 32, 16, 1, 0, 0, 0);
  cache = SnapshotChainCache();
  EXPECT_TRUE(cache.chains.empty());
  EXPECT_EQ(cache.width, 32);
  EXPECT_EQ(cache.height, 16);
  EXPECT_EQ(cache.valid, 1);
  EXPECT_EQ(ChainEndGap(0, 0), 1e30f);
}

TEST(ChainCache, ReadersNeverSeeAHalfPublishedFrame) {
  // Every publication writes one consistent frame: n chains of n points on a
  // mask n wide. A torn read would mix two frames.
  std::atomic<bool> stop{false};
  std::atomic<int32_t> inconsistent{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const ChainCache cache = SnapshotChainCache();
      if (cache.valid == 0) continue;
      const auto n = static_cast<size_t>(cache.width);
      bool consistent = cache.chains.size() == n && cache.height == cache.width;
      for (const auto& chain : cache.chains) consistent = consistent && chain.size() == n;
      if (!consistent) ++inconsistent;
      ChainEndGap(0, static_cast<int32_t>(n) - 1);
    }
  });
  for (int32_t frame = 0; frame < 2000; ++frame) {
    const int32_t n = 1 + frame % 17;
    std::vector<ChainRecord> chains(static_cast<size_t>(n));
    for (ChainRecord& chain : chains) chain.points.assign(static_cast<size_t>(n), IntPoint{frame, n});
    PublishChainCache(chains, n, n, 2, 255, 255, 255);
  }
  stop = true;
  reader.join();
  EXPECT_EQ(inconsistent.load(), 0);
}

}  // namespace
