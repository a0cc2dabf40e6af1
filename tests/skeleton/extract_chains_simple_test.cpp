#include "skeleton/extract_chains_simple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "skeleton/chain_trace.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/simple_extraction_reference.h"
#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

// Every chain drawn and expected here is open; the frame is 80 x 30.
TEST(ExtractChainsSimple, SmallSkeletonsGiveTheirKnownChains) {
  const std::vector<IntPoint> zigzag = {{2, 2}, {5, 8}, {8, 2}, {11, 8}, {14, 2}}, line = {{3, 2}, {12, 2}};
  const std::vector<IntPoint> left = {{5, 3}, {34, 3}}, right = {{37, 3}, {66, 3}};  // facing ends 3 apart
  const struct {
    std::vector<std::vector<IntPoint>> runs;
    float gapClose, minLength;
    std::vector<PairList> expected;
  } cases[] = {
      {{line}, 0, 9, {Pairs(line)}},  // exactly minLength long
      {{line}, 0, 9.01f, {}},
      {{{{2, 2}, {3, 2}}}, 0, 0, {}},  // a two-pixel trace is dropped
      {{zigzag}, 0, 30, {Pairs(zigzag)}},  // five points stay however short
      {{left, right}, 2.9f, 20, {Pairs(left), Pairs(right)}},
      {{left, right}, 3, 20, {{{5, 3}, {66, 3}}}},
      {{{{3, 20}, {26, 20}}, {{14, 3}, {14, 18}}}, 0, 5, {{{14, 3}, {14, 18}, {14, 20}}, {{3, 20}, {26, 20}}}},
  };
  for (const auto& c : cases) {
    ByteMask mask = EmptyMask(80, 30);
    for (const auto& run : c.runs) DrawRun(mask, run);
    std::vector<PairList> actual;
    for (const ChainRecord& chain : ExtractChainsSimple(mask, {c.gapClose, c.minLength, {true, 0.0f}})) {
      actual.push_back(chain.closed ? PairList{} : Pairs(chain));
    }
    EXPECT_EQ(actual, c.expected) << "gap " << c.gapClose << " min " << c.minLength;
  }
}

TEST(ExtractChainsSimple, CountsAnyNonZeroCellAsASkeletonPixel) {
  for (ByteMask mask : ManyMasks(4, 6100)) {
    ThinZhangSuen(mask);
    const SimpleExtraction options{4.0f, 20.0f, {true, 0.3f}};
    EXPECT_TRUE(SameChains(ExtractChainsSimple(WithLargeValues(mask, 6101), options), ExtractChainsSimple(mask, options)));
  }
}

// Overwrites keep the latest owner; keys far apart, negative or colliding in the table, and enough of them to
// make it grow several times, read back as a plain map holds them.
TEST(ChainOwnerMap, ReadsBackLikeAPlainMap) {
  ChainOwnerMap table;
  std::map<int64_t, int32_t> plain;
  std::mt19937_64 rng(6200);
  for (int32_t i = 0; i < 20000; ++i) {
    const int64_t key = i % 3 == 0 ? int64_t(rng() % 500) : i % 3 == 1 ? int64_t(rng()) >> 2 : -int64_t(rng() % 70000);
    SetChainOwner(table, key, i);
    plain[key] = i;
  }
  for (const auto& [key, owner] : plain) ASSERT_EQ(FindChainOwner(table, key), owner) << key;
  for (const int64_t absent : {int64_t{500}, int64_t{-70001}, int64_t{1} << 62}) EXPECT_EQ(FindChainOwner(table, absent), -1);
  EXPECT_EQ(FindChainOwner(ChainOwnerMap{}, 0), -1);
}

TEST(ExtendToNearbyChain, PixelKeysOfVeryLargeFramesStayDistinct) {
  // Row 65541 of a frame 65536 wide lies 2^32 cells after row 5: 32-bit keys would make the chains touch.
  std::vector<ChainRecord> far = {Chain({{100, 1}, {100, 5}}), Chain({{101, 65541}, {140, 65541}})};
  ExtendToNearbyChain(far, 65536, 70000, BuildChainOwnerMap(far, 65536), 0, false);
  EXPECT_EQ(far[0].points.size(), 2u);
}

TEST(TraceChainFrom, NeverEntersVisitedPixelsOrStartsOutside) {
  const ByteMask tee = MaskFromRows({".........", ".#####...", ".....#...", ".....#..."});
  std::vector<uint8_t> visited(tee.cells.size(), 0);
  visited[1 * 9 + 3] = 1;
  EXPECT_EQ(Pairs(TraceChainFrom(tee, 1, 1, visited, {})), (PairList{{1, 1}, {2, 1}}));
  const std::vector<uint8_t> before = visited;
  EXPECT_TRUE(TraceChainFrom(tee, 9, 1, visited, {}).points.empty());
  EXPECT_TRUE(TraceChainFrom(tee, 5, -1, visited, {}).points.empty());
  EXPECT_EQ(visited, before);
  std::vector<uint8_t> tooSmall(tee.cells.size() - 1, 0);
  EXPECT_TRUE(TraceChainFrom(tee, 1, 1, tooSmall, {}).points.empty());
  EXPECT_EQ(tooSmall, std::vector<uint8_t>(tee.cells.size() - 1, 0));
}

TEST(SimplifyRdp, DropsPointsWithinTheToleranceAndEndsForAnyTolerance) {
  EXPECT_EQ(Pairs(SimplifyRdp(Chain({{0, 0}, {5, 2}, {10, 0}}), 2.0f)), (PairList{{0, 0}, {10, 0}}));
  EXPECT_EQ(SimplifyRdp(Chain({{0, 0}, {5, 2}, {10, 0}}), 1.99f).points.size(), 3u);
  // With a negative or NaN tolerance only the points off their segments stay.
  for (const float tolerance : {-1.0f, std::nanf("")}) {
    EXPECT_EQ(Pairs(SimplifyRdp(Chain({{0, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 0}}, true), tolerance)),
              (PairList{{0, 0}, {1, 1}, {2, 0}, {4, 0}}));
  }
}

TEST(SimplifyRdp, SplitsThatPeelOnePointAtATimeDoNotExhaustTheStack) {
  // Round a diamond: each corner ties at 3 from the segment back to the origin, so each split takes the next point.
  ChainRecord loop = Chain({{0, 0}});
  const IntPoint corners[4] = {{3, 0}, {0, 3}, {-3, 0}, {0, -3}};
  for (int32_t i = 0; i < 8000; ++i) loop.points.push_back(corners[i % 4]);
  loop.points.push_back({0, 0});
  EXPECT_EQ(Pairs(SimplifyRdp(loop, kSimplifyTolerance)), Pairs(loop));
}

// Short chains crowded into a small square, some closed, at thresholds from none to everything: many ends meet
// and joined chains go on to meet others.
TEST(JoinChainEnds, JoinsLikeRepeatedFullSweepsOnCrowdedChains) {
  const float thresholds[] = {-1, 0, 1, 2.5f, 7.3f, 20, 100, 3e6f, INFINITY, std::nanf("")};
  std::mt19937 rng(31);
  size_t joins = 0;
  for (int32_t trial = 0; trial < 400; ++trial) {
    const int32_t side = 4 + int32_t(rng() % 117);
    std::vector<ChainRecord> chains(rng() % 161);
    for (ChainRecord& chain : chains) {
      for (int32_t i = 2 + int32_t(rng() % 5); i > 0; --i) {
        chain.points.push_back({int32_t(rng() % side) - side / 4, int32_t(rng() % side) - side / 4});
      }
      chain.closed = rng() % 10 == 0;
    }
    std::vector<ChainRecord> fast = chains;
    JoinChainEnds(fast, thresholds[trial % 10]);
    joins += chains.size() - fast.size();
    simple_extraction_reference::JoinPass(chains, thresholds[trial % 10]);
    ASSERT_TRUE(SameChains(fast, chains)) << "trial " << trial;
  }
  EXPECT_GT(joins, 5000u);
}

// On generated skeletons, also at the size limits: no pixel is traced twice; chains have two points or more; closing
// and the filter hold. Smart tracing with a zero bias skips the turn prediction the plain transcription makes.
TEST(ExtractChainsSimple, GeneratedSkeletonsKeepTheStageInvariantsAndMatchAPlainTranscription) {
  int32_t chainsSeen = 0;
  std::vector<ByteMask> masks = ManyMasks(14, 6000, 150);
  for (ByteMask& mask : LimitMasks(6001)) masks.push_back(std::move(mask));
  for (ByteMask mask : masks) {
    ThinZhangSuen(mask);
    for (const auto& [smart, bias] :
         {std::pair{false, 0.0f}, {true, 0.6f}, {true, -1.0f}, {true, 0.0f}}) {
      std::vector<uint8_t> traced(mask.cells.size(), 0);
      for (const ChainRecord& trace : TraceSkeletonPieces(mask, {smart, bias})) {
        ASSERT_GE(trace.points.size(), 3u);
        for (IntPoint p : trace.points) ASSERT_EQ(traced[p.y * mask.width + p.x]++, 0);
      }
      for (const float gapClose : {0.0f, 9.0f}) {
        const auto chains = ExtractChainsSimple(mask, {gapClose, 20.0f, {smart, bias}});
        const auto plain = simple_extraction_reference::Extract(mask, gapClose, 20.0f, smart, bias);
        ASSERT_TRUE(SameChains(chains, plain))
            << mask.width << "x" << mask.height << " smart " << smart << " bias " << bias << " gap " << gapClose;
        for (const ChainRecord& chain : chains) {
          ASSERT_GE(chain.points.size(), 2u);
          const float endGap = Distance(chain.points.front(), chain.points.back());
          EXPECT_EQ(chain.closed != 0, chain.points.size() >= 4 && endGap <= std::max(gapClose, kEndJoinDistance));
          EXPECT_TRUE(chain.closed || PolylineLength(chain.points) >= 20.0f || chain.points.size() >= 5);
        }
        chainsSeen += static_cast<int32_t>(chains.size());
      }
    }
  }
  EXPECT_GT(chainsSeen, 300);
}

}  // namespace
