#include "render/analysis/chain_edits.h"
#include "render/analysis/chain_extraction.h"
#include "render/analysis/chain_ordering.h"
#include "render/analysis/chain_shaping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

// A short open chain on row y.
ChainRecord Row(int32_t y) { return ChainThrough({{0, y}, {5, y}}); }

std::string Describe(const std::vector<IntPoint>& points) {
  std::ostringstream s;
  for (const IntPoint& p : points) s << '(' << p.x << ',' << p.y << ')';
  return s.str();
}

using Strings = std::vector<std::string>;

Strings DescribeAll(const std::vector<ChainRecord>& chains) {
  Strings all;
  for (const ChainRecord& c : chains) all.push_back(Describe(c.points));
  return all;
}

// Row of the first point of every chain, in list order.
std::vector<int32_t> FirstRows(const std::vector<ChainRecord>& chains) {
  std::vector<int32_t> rows;
  for (const ChainRecord& c : chains) rows.push_back(c.points.empty() ? -1 : c.points.front().y);
  return rows;
}

TEST(ChainOrdering, OpenChainsStartAtTheEndWithTheSmallerKey) {
  std::vector<ChainRecord> chains = {
      ChainThrough({{10, 0}, {6, 0}, {2, 0}}),  // end nearer the start: reversed
      ChainThrough({{-5, 0}, {5, 0}}),          // equal keys keep their direction
      ChainThrough({{3, 4}, {20, 0}}), ChainThrough({{7, 7}}),
      ChainThrough({{0, 10}, {0, -10}}),        // equally far: the higher end (smaller y) leads
  };
  OrientChains(chains, 0.0f, 0.0f);
  EXPECT_EQ(DescribeAll(chains), (Strings{"(2,0)(6,0)(10,0)", "(-5,0)(5,0)", "(3,4)(20,0)", "(7,7)", "(0,-10)(0,10)"}));
}

TEST(ChainOrdering, ClosedChainsStartAtTheirSmallestKeyPointAndRunTowardSmallerX) {
  std::vector<ChainRecord> chains = {  // seen from (0, 30), (10, 20) has the smallest key
      ChainThrough({{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}}, true),
      ChainThrough({{15, 10}, {20, 10}, {20, 20}, {10, 20}, {15, 10}}, true),  // next point right: reversed
      ChainThrough({{10, 10}, {20, 10}, {20, 20}, {10, 20}}, true),            // no closing repeat
      ChainThrough({{1, 1}, {2, 2}, {1, 1}}, true),                            // too short once the repeat goes
  };
  OrientChains(chains, 0.0f, 30.0f);
  EXPECT_EQ(DescribeAll(chains), (Strings{"(10,20)(10,10)(20,10)(20,20)(10,20)", "(10,20)(20,20)(20,10)(15,10)(10,20)",
                                          "(10,20)(10,10)(20,10)(20,20)(10,20)", "(1,1)(2,2)"}));
}

TEST(ChainOrdering, SortByStartDistanceIsStableAndPutsEmptyChainsLast) {
  std::vector<ChainRecord> chains = {Row(30), ChainRecord{}, Row(-10), Row(10), Row(-20), Row(20)};
  SortChainsByStartDistance(chains, 0.0f, 0.0f);
  EXPECT_EQ(FirstRows(chains), (std::vector<int32_t>{-10, 10, -20, 20, 30, -1}));
}

TEST(ChainSlots, MergeAndReverseSlotsIgnoreChainsOutsideTheList) {
  std::vector<ChainRecord> chains = {Row(1), Row(2), Row(3), Row(4), Row(5)};
  MergeSlot slots[5] = {{2, 3}, {3, 4}, {}, {}, {}};  // later slots count against the shrunk list
  ApplyMergeSlots(chains, slots, false);
  EXPECT_EQ(DescribeAll(chains), (Strings{"(0,1)(5,1)", "(0,2)(5,2)(0,3)(5,3)", "(0,4)(5,4)(0,5)(5,5)"}));
  constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
  chains = {Row(1), Row(2), ChainThrough({{0, 3}, {5, 3}, {0, 3}}, true)};
  MergeSlot invalid[5] = {{1, 3}, {2, 2}, {1, 4}, {0, 2}, {2, 0}};  // closed, same, beyond, off, off
  MergeSlot damaged[5] = {{kLowest, 2}, {1, kLowest}, {-1, 2}, {std::numeric_limits<int32_t>::max(), 1}, {}};
  ApplyMergeSlots(chains, invalid, true);
  ApplyMergeSlots(chains, damaged, true);
  EXPECT_EQ(DescribeAll(chains), (Strings{"(0,1)(5,1)", "(0,2)(5,2)", "(0,3)(5,3)(0,3)"}));
  chains = {Row(1), Row(2), Row(3), ChainThrough({{0, 4}, {5, 4}, {5, 6}, {0, 4}}, true)};
  const int32_t reverse[5] = {2, 2, 3, 4, 5};  // 2 twice: unchanged; 4 closed; 5 beyond the list
  const int32_t negative[5] = {-1, 0, kLowest, 0, 1};
  ApplyReverseSlots(chains, reverse);
  ApplyReverseSlots(chains, negative);
  EXPECT_EQ(DescribeAll(chains), (Strings{"(5,1)(0,1)", "(0,2)(5,2)", "(5,3)(0,3)", "(0,4)(5,4)(5,6)(0,4)"}));
}

TEST(ChainDrawOrder, FirstClaimWinsAndEntriesOutsideTheListAreIgnored) {
  using Entries = std::vector<std::pair<uint8_t, uint8_t>>;  // target position and chain, both 1-based
  for (auto [entries, count, rows] :
       {std::tuple{Entries{{1, 3}, {1, 2}}, 0u, std::vector<int32_t>{3, 1, 2}},
        {Entries{{3, 1}, {2, 1}, {1, 3}}, 0u, {3, 2, 1}},  // a chain is claimed once only
        {Entries{{5, 1}, {2, 9}, {0, 1}, {1, 0}, {4, 1}}, 0u, {2, 3, 4, 1}},
        {Entries{{2, 1}}, 100000u, {2, 1, 3}}}) {  // a damaged count reads only the 128 entries
    DrawOrderBlob table;
    std::memset(&table, 0, sizeof table);
    for (auto [position, chain] : entries) {
      table.targetPosition[table.count] = position;
      table.chainPlusOne[table.count++] = chain;
    }
    table.count = count != 0 ? count : table.count;
    std::vector<ChainRecord> chains;
    for (size_t i = 0; i < rows.size(); ++i) chains.push_back(Row(static_cast<int32_t>(i) + 1));
    ApplyDrawOrderTable(chains, table);
    EXPECT_EQ(FirstRows(chains), rows);
  }
}

TEST(ChainShaping, FlatteningGivesTwelvePointsPerSpanAndChaikinDoublesThem) {
  ChainRecord c = ChainThrough({{0, 0}, {12, 0}, {12, 24}});  // straight cubics, handles at thirds
  c.fpoints = {{0, 0}, {12, 0}, {12, 24}};
  c.outT = {{4, 0}, {0, 8}, {0, 0}};
  c.inT = {{0, 0}, {-4, 0}, {0, -8}};
  FlattenBezierChain(c);
  ASSERT_EQ((std::vector{c.points.size(), c.fpoints.size(), c.inT.size(), c.outT.size()}),
            (std::vector<size_t>{25, 25, 0, 0}));
  for (int32_t k = 0; k <= 12; ++k) {
    EXPECT_EQ(Describe({c.points[k], c.points[12 + k]}), Describe({{k, 0}, {12, 2 * k}}));
  }
  c = ChainThrough({{0, 0}, {5, 0}, {9, 9}});
  c.outT = {{1, 0}};  // handles not for every point: left alone
  FlattenBezierChain(c);
  EXPECT_EQ(c.points.size(), 3u);
  SubdivideChaikin(c, 1);
  EXPECT_EQ(Describe(c.points), "(0,0)(1,0)(4,0)(6,2)(8,7)(9,9)");
  for (auto [chain, passes, count] : {std::tuple{ChainThrough({{0, 0}, {4, 0}, {4, 4}}), 2, 12u},
                                      {ChainThrough({{0, 0}, {8, 0}, {8, 8}, {0, 0}}, true), 3, 32u},
                                      {ChainThrough({{0, 0}, {4, 0}}), 4, 2u}}) {
    const std::string ends = Describe({chain.points.front(), chain.points.back()});
    SubdivideChaikin(chain, passes);
    EXPECT_EQ(chain.points.size(), count);
    EXPECT_EQ(Describe({chain.points.front(), chain.points.back()}), ends);
  }
  // Fitted chains are flattened, then subdivided; closed chains are never fitted.
  RenderSettings settings;
  settings.useBezierFit = true;
  settings.subdivide = 1;
  std::vector<ChainRecord> chains = {StraightChain(0, 0, 4), ChainThrough({{0, 5}, {3, 5}, {3, 9}, {0, 5}}, true)};
  ShapeChains(chains, DistanceField{}, settings);
  EXPECT_EQ(std::tuple(chains[0].points.size(), chains[0].fpoints.size(), chains[1].points.size()),
            std::tuple(26u, 26u, 8u));  // one span: 13 points, 26 after one pass
}

TEST(ChainSeeds, NearestStrokeEndAroundTheFirstPoint) {
  ByteMask mask = EmptyMask(15, 12);
  for (int32_t x = 1; x <= 9; ++x) MaskSet(mask, x, 1, 1);
  for (int32_t y = 8; y <= 10; ++y) MaskSet(mask, 10, y, 1);
  const std::vector<ChainRecord> chains = {
      ChainThrough({{1, 1}, {9, 1}}),    // on a stroke end
      ChainThrough({{4, 1}, {9, 1}}),    // three pixels from the end at (1, 1)
      ChainThrough({{10, 9}, {10, 8}}),  // both ends at distance 1: scan order picks (10, 8)
      ChainThrough({{3, 9}, {4, 9}}),    // no end within five rings
      ChainRecord{},                     // no points: no seed
  };
  std::string seeds;
  for (const FloatPoint& p : FindChainSeeds(mask, chains)) seeds += Describe({{int32_t(p.x), int32_t(p.y)}});
  EXPECT_EQ(seeds, "(1,1)(1,1)(10,8)(3,9)");
}

}  // namespace
