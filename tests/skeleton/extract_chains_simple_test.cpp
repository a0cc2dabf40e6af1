#include "skeleton/extract_chains_simple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "skeleton/chain_trace.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/chain_builders.h"
#include "tests/skeleton/simple_extraction_reference.h"
#include "tests/skeleton/test_masks.h"

namespace {

using chain_builders::Chain;
using chain_builders::Pairs;
using chain_builders::PairList;

using test_masks::EmptyMask;
void HorizontalLine(ByteMask& mask, int32_t x0, int32_t x1, int32_t y) {
  for (int32_t x = x0; x <= x1; ++x) MaskSet(mask, x, y, 1);
}

TEST(ExtractChainsSimple, StraightLineIsKeptOrDroppedByLength) {
  ByteMask mask = EmptyMask(20, 5);
  HorizontalLine(mask, 3, 12, 2);
  EXPECT_TRUE(ExtractChainsSimple(mask, 0.0f, 20.0f, 1, 0.0f).empty());
  for (float minLength : {9.0f, 5.0f}) {
    const auto chains = ExtractChainsSimple(mask, 0.0f, minLength, 1, 0.0f);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(Pairs(chains[0]), (PairList{{3, 2}, {12, 2}}));
    EXPECT_EQ(chains[0].closed, 0);
    EXPECT_EQ(PolylineLength(chains[0].points), 9.0f);
  }
  // Traces of two pixels are discarded; three go on to simplification.
  ByteMask two = EmptyMask(6, 5);
  HorizontalLine(two, 2, 3, 2);
  EXPECT_TRUE(ExtractChainsSimple(two, 0.0f, 0.0f, 0, 0.0f).empty());
  ByteMask three = EmptyMask(6, 5);
  HorizontalLine(three, 1, 3, 2);
  EXPECT_EQ(ExtractChainsSimple(three, 0.0f, 0.0f, 0, 0.0f).size(), 1u);
  // Tiny masks and empty skeletons give nothing.
  EXPECT_TRUE(ExtractChainsSimple(EmptyMask(2, 50), 5.0f, 0.0f, 0, 0.0f).empty());
  EXPECT_TRUE(ExtractChainsSimple(EmptyMask(0, 0), 5.0f, 0.0f, 0, 0.0f).empty());
  EXPECT_TRUE(ExtractChainsSimple(EmptyMask(30, 30), 5.0f, 0.0f, 0, 0.0f).empty());
}

// A one-pixel polyline through the given corners.
void Polyline(ByteMask& mask, const PairList& corners) {
  for (size_t i = 1; i < corners.size(); ++i) {
    const auto [x0, y0] = corners[i - 1];
    const auto [x1, y1] = corners[i];
    const int32_t steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int32_t k = 0; k <= steps; ++k) {
      MaskSet(mask, x0 + static_cast<int32_t>(std::lround(double(x1 - x0) * k / steps)),
              y0 + static_cast<int32_t>(std::lround(double(y1 - y0) * k / steps)), 1);
    }
  }
}

TEST(ExtractChainsSimple, FiveCornerChainsStayWhenShortButFewerCornersDoNot) {
  const PairList zigzag = {{2, 2}, {5, 8}, {8, 2}, {11, 8}, {14, 2}};
  ByteMask w = EmptyMask(20, 12);
  Polyline(w, zigzag);
  const auto kept = ExtractChainsSimple(w, 0.0f, 30.0f, 0, 0.0f);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(Pairs(kept[0]), zigzag);
  EXPECT_LT(PolylineLength(kept[0].points), 30.0f);

  ByteMask v = EmptyMask(20, 12);
  Polyline(v, {{2, 2}, {5, 8}, {8, 2}});
  EXPECT_TRUE(ExtractChainsSimple(v, 0.0f, 30.0f, 0, 0.0f).empty());
  EXPECT_EQ(ExtractChainsSimple(v, 0.0f, 13.0f, 0, 0.0f).size(), 1u);
}

TEST(ExtractChainsSimple, ClosedChainsTakeNoPartInGapClose) {
  // A ring with a stroke ending 4 pixels from the ring's first pixel.
  ByteMask mask = EmptyMask(60, 40);
  test_masks::Ring(mask, 20.0f, 20.0f, 11.0f, 9.0f);
  ThinZhangSuen(mask);
  const IntPoint first = test_masks::FirstSetPixel(mask);
  Polyline(mask, {{first.x + 4, first.y - 3}, {first.x + 30, first.y - 3}});
  const auto chains = ExtractChainsSimple(mask, 10.0f, 5.0f, 0, 0.0f);
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_EQ(chains[0].closed + chains[1].closed, 1);
}

TEST(ExtractChainsSimple, RingBecomesOneClosedChainWhateverItsLength) {
  ByteMask mask = EmptyMask(40, 40);
  test_masks::Ring(mask, 20.0f, 20.0f, 11.0f, 9.0f);
  ThinZhangSuen(mask);
  const auto chains = ExtractChainsSimple(mask, 0.0f, 1000.0f, 0, 0.0f);
  ASSERT_EQ(chains.size(), 1u);
  EXPECT_EQ(chains[0].closed, 1);
  EXPECT_GE(chains[0].points.size(), 4u);
  EXPECT_FALSE(PointsEqual(chains[0].points.front(), chains[0].points.back()));
  EXPECT_LE(PointDistance(chains[0].points.front(), chains[0].points.back()), 2.5f);
  // It starts at the ring's first pixel in scan order.
  const IntPoint first = test_masks::FirstSetPixel(mask);
  EXPECT_TRUE(PointsEqual(chains[0].points.front(), first));
}

TEST(ExtractChainsSimple, GapCloseBridgesCollinearStrokes) {
  ByteMask mask = EmptyMask(80, 7);
  HorizontalLine(mask, 5, 34, 3);
  HorizontalLine(mask, 37, 66, 3);  // facing end pixels 3 apart
  EXPECT_EQ(ExtractChainsSimple(mask, 0.0f, 20.0f, 0, 0.0f).size(), 2u);
  EXPECT_EQ(ExtractChainsSimple(mask, 2.9f, 20.0f, 0, 0.0f).size(), 2u);
  const auto bridged = ExtractChainsSimple(mask, 3.0f, 20.0f, 0, 0.0f);
  ASSERT_EQ(bridged.size(), 1u);
  EXPECT_EQ(Pairs(bridged[0]), (PairList{{5, 3}, {66, 3}}));
  EXPECT_EQ(bridged[0].closed, 0);
}

TEST(ExtractChainsSimple, ChainEndReachesOntoANearbyChain) {
  // A vertical stroke ending two pixels above a horizontal one gains the
  // horizontal stroke's pixel below it as its new end.
  ByteMask mask = EmptyMask(30, 30);
  HorizontalLine(mask, 3, 26, 20);
  for (int32_t y = 3; y <= 18; ++y) MaskSet(mask, 14, y, 1);
  const auto chains = ExtractChainsSimple(mask, 0.0f, 5.0f, 0, 0.0f);
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{14, 3}, {14, 18}, {14, 20}}));
  EXPECT_EQ(Pairs(chains[1]), (PairList{{3, 20}, {26, 20}}));
}

TEST(FindNearbyChainPixel, TakesTheNearestOwnedPixelWithinRadius) {
  const int32_t width = 20, height = 20;
  std::vector<ChainRecord> chains = {Chain({{5, 5}, {5, 10}}), Chain({{7, 12}, {15, 12}})};
  ChainOwnerMap owner = BuildChainOwnerMap(chains, width);
  // (7, 12) is at offset (2, 2) from (5, 10): too far, so nothing is added.
  FindNearbyChainPixel(chains, width, height, owner, 0, false);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{5, 5}, {5, 10}}));
  // Offset (2, 1) is close enough; of the equally near pixels the first in
  // scan order (top row first) is taken.
  owner[11 * width + 7] = 1;
  owner[9 * width + 7] = 1;
  FindNearbyChainPixel(chains, width, height, owner, 0, false);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{5, 5}, {5, 10}, {7, 9}}));
  // Pixels the chain owns itself are ignored; the start gains a pixel too.
  owner[4 * width + 5] = 0;
  owner[3 * width + 5] = 1;
  FindNearbyChainPixel(chains, width, height, owner, 0, true);
  EXPECT_EQ(Pairs(chains[0]).front(), std::make_pair(5, 3));
}

TEST(FindNearbyChainPixel, PixelKeysOfVeryLargeFramesStayDistinct) {
  // In a frame 65536 wide, row 65541 lies 2^32 cells after row 5: keys that
  // wrapped at 32 bits would make the far chain look adjacent.
  const int32_t width = 65536, height = 70000;
  std::vector<ChainRecord> chains = {Chain({{100, 1}, {100, 5}}), Chain({{101, 65541}, {140, 65541}})};
  const ChainOwnerMap owner = BuildChainOwnerMap(chains, width);
  FindNearbyChainPixel(chains, width, height, owner, 0, false);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{100, 1}, {100, 5}}));
  FindNearbyChainPixel(chains, width, height, owner, 1, true);
  EXPECT_EQ(chains[1].points.size(), 2u);
}

TEST(JoinChainEnds, JoinsTheFirstQualifyingPairInListOrder) {
  // Chains 0 and 2 are closest, but (0, 1) comes first in the sweep; the
  // joined run is simplified and no longer ends near chain 2.
  std::vector<ChainRecord> chains = {Chain({{0, 0}, {10, 0}}), Chain({{12, 1}, {12, 20}}),
                                     Chain({{11, 0}, {30, 0}})};
  JoinChainEnds(chains, 2.5f);
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_EQ(Pairs(chains[0]), (PairList{{0, 0}, {12, 1}, {12, 20}}));
  EXPECT_EQ(Pairs(chains[1]), (PairList{{11, 0}, {30, 0}}));
  // A joined chain can be joined again in a later sweep.
  std::vector<ChainRecord> row = {Chain({{0, 0}, {10, 0}}), Chain({{22, 0}, {30, 0}}), Chain({{12, 0}, {20, 0}})};
  JoinChainEnds(row, 2.5f);
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(Pairs(row[0]), (PairList{{0, 0}, {30, 0}}));
  // Reversed pairings: B then A when A.first meets B.last.
  std::vector<ChainRecord> pair = {Chain({{10, 0}, {20, 0}}), Chain({{0, 5}, {9, 0}})};
  JoinChainEnds(pair, 2.5f);
  ASSERT_EQ(pair.size(), 1u);
  EXPECT_EQ(Pairs(pair[0]), (PairList{{0, 5}, {9, 0}, {20, 0}}));
  // Closed chains take no part.
  std::vector<ChainRecord> closed = {Chain({{0, 0}, {10, 0}, {10, 10}, {1, 1}}), Chain({{0, 1}, {-10, 30}})};
  closed[0].closed = 1;
  JoinChainEnds(closed, 2.5f);
  EXPECT_EQ(closed.size(), 2u);
  CloseChainsWithMeetingEnds(closed, 2.5f);
  EXPECT_EQ(closed[1].closed, 0);
}

// True when no end of an open chain lies within distance of an end of another
// open chain: the joining pass would have joined them.
bool OpenEndsFartherApartThan(const std::vector<ChainRecord>& chains, float distance) {
  for (size_t i = 0; i < chains.size(); ++i) {
    for (size_t j = i + 1; j < chains.size(); ++j) {
      if (chains[i].closed || chains[j].closed) continue;
      const auto& a = chains[i].points;
      const auto& b = chains[j].points;
      for (IntPoint ea : {a.front(), a.back()}) {
        for (IntPoint eb : {b.front(), b.back()}) {
          if (PointDistance(ea, eb) <= distance) return false;
        }
      }
    }
  }
  return true;
}

TEST(ExtractChainsSimple, TracesTakeEveryPixelOnceAndResultsFollowTheStages) {
  int32_t chainsSeen = 0;
  for (ByteMask mask : test_masks::ManyMasks(12, 6000, 160)) {
    ThinZhangSuen(mask);
    for (uint8_t smart : {uint8_t{0}, uint8_t{1}}) {
      const float bias = smart ? 0.4f : 0.0f;
      // No pixel is traced twice.
      const auto traces = TraceSkeletonPieces(mask, smart, bias);
      std::vector<uint8_t> traced(mask.cells.size(), 0);
      for (const ChainRecord& trace : traces) {
        ASSERT_GE(trace.points.size(), 3u);
        for (IntPoint p : trace.points) {
          ASSERT_EQ(MaskGet(mask, p.x, p.y), 1);
          ASSERT_EQ(traced[static_cast<size_t>(p.y) * mask.width + p.x]++, 0);
        }
      }
      for (float minLength : {0.0f, 20.0f}) {
        const auto chains = ExtractChainsSimple(mask, 0.0f, minLength, smart, bias);
        for (size_t i = 0; i < chains.size(); ++i) {
          const ChainRecord& c = chains[i];
          ASSERT_GE(c.points.size(), 2u);
          EXPECT_TRUE(c.inT.empty() && c.outT.empty() && c.fpoints.empty());
          const float endGap = PointDistance(c.points.front(), c.points.back());
          if (c.closed) {
            EXPECT_GE(c.points.size(), 4u);
            EXPECT_LE(endGap, kEndJoinDistance);
            continue;
          }
          EXPECT_TRUE(PolylineLength(c.points) >= minLength || c.points.size() >= 5);
          if (c.points.size() >= 4) {
            EXPECT_GT(endGap, kEndJoinDistance);
          }
          ++chainsSeen;
        }
        EXPECT_TRUE(OpenEndsFartherApartThan(chains, kEndJoinDistance));
        // Gap close only joins and closes further.
        const auto bridged = ExtractChainsSimple(mask, 9.0f, minLength, smart, bias);
        EXPECT_LE(bridged.size(), chains.size());
        EXPECT_TRUE(OpenEndsFartherApartThan(bridged, 9.0f));
      }
    }
  }
  EXPECT_GT(chainsSeen, 100);
}

bool SameChains(const std::vector<ChainRecord>& actual, const std::vector<ChainRecord>& expected) {
  if (actual.size() != expected.size()) return false;
  for (size_t i = 0; i < actual.size(); ++i) {
    if (actual[i].closed != expected[i].closed || Pairs(actual[i]) != Pairs(expected[i])) return false;
  }
  return true;
}

// Short chains crowded into a small square, some closed, so that many ends
// meet and joined chains go on to meet others.
std::vector<ChainRecord> CrowdedChains(std::mt19937& rng) {
  const int32_t count = std::uniform_int_distribution<int32_t>(0, 160)(rng);
  const int32_t side = std::uniform_int_distribution<int32_t>(4, 120)(rng);
  std::uniform_int_distribution<int32_t> coordinate(-side / 4, side);
  std::vector<ChainRecord> chains(static_cast<size_t>(count));
  for (ChainRecord& chain : chains) {
    const int32_t points = std::uniform_int_distribution<int32_t>(2, 6)(rng);
    for (int32_t i = 0; i < points; ++i) chain.points.push_back({coordinate(rng), coordinate(rng)});
    chain.closed = std::uniform_int_distribution<int32_t>(0, 9)(rng) == 0 ? 1 : 0;
  }
  return chains;
}

TEST(JoinChainEnds, JoinsLikeRepeatedFullSweepsOnCrowdedChains) {
  const float thresholds[] = {0.0f,  -0.0f, -1.0f, 1.0f, 2.5f, 7.3f, 20.0f, 100.0f, 3e6f,
                              std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  std::mt19937 rng(31);
  int32_t joins = 0;
  for (int32_t trial = 0; trial < 400; ++trial) {
    const std::vector<ChainRecord> chains = CrowdedChains(rng);
    const float threshold = thresholds[static_cast<size_t>(trial) % std::size(thresholds)];
    std::vector<ChainRecord> fast = chains;
    JoinChainEnds(fast, threshold);
    std::vector<ChainRecord> plain = chains;
    simple_extraction_reference::JoinPass(plain, threshold);
    ASSERT_TRUE(SameChains(fast, plain)) << "trial " << trial << " threshold " << threshold;
    joins += static_cast<int32_t>(chains.size() - fast.size());
  }
  EXPECT_GT(joins, 5000);
}

TEST(ExtractChainsSimple, MatchesAPlainTranscriptionOnGeneratedMasks) {
  int32_t chainsSeen = 0;
  for (ByteMask mask : test_masks::ManyMasks(8, 7000, 140)) {
    ThinZhangSuen(mask);
    for (const auto& [smart, bias] : {std::pair{uint8_t{0}, 0.0f}, std::pair{uint8_t{1}, 0.6f}, std::pair{uint8_t{1}, -1.0f}}) {
      for (const float gapClose : {0.0f, 20.0f}) {
        const auto chains = ExtractChainsSimple(mask, gapClose, 20.0f, smart, bias);
        ASSERT_TRUE(SameChains(chains, simple_extraction_reference::Extract(mask, gapClose, 20.0f, smart, bias)))
            << mask.width << "x" << mask.height << " smart " << int{smart} << " bias " << bias << " gap " << gapClose;
        chainsSeen += static_cast<int32_t>(chains.size());
      }
    }
  }
  EXPECT_GT(chainsSeen, 300);
}

}  // namespace
