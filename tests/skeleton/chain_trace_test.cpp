#include "skeleton/chain_trace.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "skeleton/thinning.h"
#include "tests/skeleton/chain_builders.h"
#include "tests/skeleton/test_masks.h"

namespace {

using chain_builders::Pairs;
using chain_builders::PairList;

using test_masks::MaskFromRows;
std::vector<uint8_t> FreshVisited(const ByteMask& mask) { return std::vector<uint8_t>(mask.cells.size(), 0); }

ChainRecord Trace(const ByteMask& mask, int32_t x, int32_t y, uint8_t smart = 0, float bias = 0.0f) {
  std::vector<uint8_t> visited = FreshVisited(mask);
  return TraceChainFrom(mask, x, y, visited, smart, bias);
}

TEST(TraceChainFrom, FirstStepPrefersStraightNeighboursInClockwiseOrder) {
  EXPECT_EQ(Pairs(Trace(MaskFromRows({"...", ".#.", "..."}), 1, 1)), (PairList{{1, 1}}));
  // E beats SE (1.0 against 0.9).
  EXPECT_EQ(Pairs(Trace(MaskFromRows({"....", ".##.", "..#."}), 1, 1)).at(1), std::make_pair(2, 1));
  // N and E tie; N comes first.
  EXPECT_EQ(Pairs(Trace(MaskFromRows({".#..", ".##.", "...."}), 1, 1)).at(1), std::make_pair(1, 0));
}

TEST(TraceChainFrom, GoesStraightThroughJunctionsAndStopsAtVisitedPixels) {
  const ByteMask tee = MaskFromRows({
      ".........",
      ".#####...",
      ".....#...",
      ".....#...",
  });
  // Coming along the row, the walk continues east rather than turning south.
  const ByteMask cross = MaskFromRows({
      "....#....",
      "....#....",
      "#########",
      "....#....",
      "....#....",
  });
  EXPECT_EQ(Pairs(Trace(cross, 0, 2)),
            (PairList{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}}));
  EXPECT_EQ(Pairs(Trace(tee, 1, 1)), (PairList{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}}));

  // A visited neighbour is never entered, even when it is the only one.
  std::vector<uint8_t> visited = FreshVisited(tee);
  visited[1 * 9 + 3] = 1;
  EXPECT_EQ(Pairs(TraceChainFrom(tee, 1, 1, visited, 0, 0.0f)), (PairList{{1, 1}, {2, 1}}));
  EXPECT_EQ(visited[1 * 9 + 1], 1);
  EXPECT_EQ(visited[1 * 9 + 2], 1);
  EXPECT_EQ(visited[1 * 9 + 4], 0);

  // A walk along the border stays inside; a start outside gives nothing.
  const ByteMask edge = MaskFromRows({"####", "....", "...."});
  EXPECT_EQ(Pairs(Trace(edge, 0, 0)), (PairList{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
  std::vector<uint8_t> untouched = FreshVisited(edge);
  EXPECT_TRUE(TraceChainFrom(edge, 4, 0, untouched, 0, 0.0f).points.empty());
  EXPECT_TRUE(TraceChainFrom(edge, 0, -1, untouched, 0, 0.0f).points.empty());
  EXPECT_EQ(untouched, FreshVisited(edge));
}

TEST(TraceChainFrom, SmartModeFollowsTheRecentTurnAtAFork) {
  // The walk turns clockwise (E, then SE); at (3, 2) it may go on east or
  // turn south. The heading prefers east, the turn prediction south.
  const ByteMask fork = MaskFromRows({
      "........",
      ".##.....",
      "...###..",
      "...#....",
      "...#....",
      "........",
  });
  const PairList east = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}};
  const PairList south = {{1, 1}, {2, 1}, {3, 2}, {3, 3}, {3, 4}};
  EXPECT_EQ(Pairs(Trace(fork, 1, 1, 0, 0.0f)), east);
  EXPECT_EQ(Pairs(Trace(fork, 1, 1, 1, 0.0f)), east);
  EXPECT_EQ(Pairs(Trace(fork, 1, 1, 1, 1.0f)), south);
  EXPECT_EQ(Pairs(Trace(fork, 1, 1, 1, 0.5f)), south);
  // A negative bias pushes against the turn.
  EXPECT_EQ(Pairs(Trace(fork, 1, 1, 1, -0.5f)), east);
}

TEST(TraceChainFrom, WalksAreSimpleConnectedAndEndAtDeadEnds) {
  int32_t tracedMasks = 0;
  for (ByteMask mask : test_masks::ManyMasks(12, 4000, 150)) {
    ThinZhangSuen(mask);
    for (uint8_t smart : {uint8_t{0}, uint8_t{1}}) {
      for (float bias : {0.0f, 0.6f, -0.3f}) {
        if (smart == 0 && bias != 0.0f) continue;
        std::vector<uint8_t> visited = FreshVisited(mask);
        std::vector<ChainRecord> chains;
        for (int32_t y = 0; y < mask.height; ++y) {
          for (int32_t x = 0; x < mask.width; ++x) {
            const size_t index = static_cast<size_t>(y) * mask.width + x;
            if (mask.cells[index] && !visited[index]) chains.push_back(TraceChainFrom(mask, x, y, visited, smart, bias));
          }
        }
        // Every skeleton pixel lies in exactly one chain; steps are 8-adjacent.
        std::vector<int32_t> owners(mask.cells.size(), 0);
        for (const ChainRecord& chain : chains) {
          for (size_t i = 0; i < chain.points.size(); ++i) {
            const IntPoint p = chain.points[i];
            ++owners[static_cast<size_t>(p.y) * mask.width + p.x];
            if (i > 0) {
              const IntPoint q = chain.points[i - 1];
              ASSERT_LE(std::max(std::abs(p.x - q.x), std::abs(p.y - q.y)), 1);
              ASSERT_FALSE(PointsEqual(p, q));
            }
          }
          // The walk only ends where no free skeleton neighbour is left, so
          // the last pixel's neighbours all belong to chains traced by then.
          const IntPoint last = chain.points.back();
          for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
              if (MaskGet(mask, last.x + dx, last.y + dy)) {
                ASSERT_EQ(visited[static_cast<size_t>(last.y + dy) * mask.width + last.x + dx], 1);
              }
            }
          }
        }
        for (size_t i = 0; i < owners.size(); ++i) ASSERT_EQ(owners[i], mask.cells[i] ? 1 : 0);
        ASSERT_EQ(visited, mask.cells);
        ++tracedMasks;
      }
    }
  }
  EXPECT_GT(tracedMasks, 0);
}

TEST(TraceChainFrom, SmartModeWithZeroBiasMatchesPlainMode) {
  for (ByteMask mask : test_masks::ManyMasks(8, 5000, 150)) {
    ThinZhangSuen(mask);
    std::vector<uint8_t> plainVisited = FreshVisited(mask), smartVisited = FreshVisited(mask);
    for (int32_t y = 0; y < mask.height; ++y) {
      for (int32_t x = 0; x < mask.width; ++x) {
        const size_t index = static_cast<size_t>(y) * mask.width + x;
        if (!mask.cells[index] || plainVisited[index]) continue;
        ASSERT_EQ(Pairs(TraceChainFrom(mask, x, y, plainVisited, 0, 0.0f)),
                  Pairs(TraceChainFrom(mask, x, y, smartVisited, 1, 0.0f)));
      }
    }
  }
}

TEST(TraceChainFrom, ClosedLoopEndsBesideItsStart) {
  ByteMask ring = test_masks::EmptyMask(40, 40);
  test_masks::Ring(ring, 20.0f, 20.0f, 12.0f, 7.0f);
  ThinZhangSuen(ring);
  const IntPoint start = test_masks::FirstSetPixel(ring);
  const ChainRecord chain = Trace(ring, start.x, start.y);
  ASSERT_GT(chain.points.size(), 20u);
  const IntPoint last = chain.points.back();
  EXPECT_LE(std::max(std::abs(last.x - start.x), std::abs(last.y - start.y)), 1);
  EXPECT_EQ(PointDistance({0, 0}, {3, 4}), 5.0f);
  EXPECT_EQ(PointDistance({2, 2}, {1, 1}), std::sqrt(2.0f));
}

}  // namespace
