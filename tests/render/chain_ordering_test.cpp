#include "render/chain_ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/skeleton/test_masks.h"

namespace {

ChainRecord Chain(std::vector<IntPoint> points, bool closed = false) {
  ChainRecord c;
  c.points = std::move(points);
  c.closed = closed ? 1 : 0;
  return c;
}

// A short horizontal open chain that tells chains apart by its row.
ChainRecord Row(int32_t y) { return Chain({{0, y}, {5, y}}); }

std::vector<IntPoint> Points(std::initializer_list<std::pair<int32_t, int32_t>> xy) {
  std::vector<IntPoint> p;
  for (auto [x, y] : xy) p.push_back({x, y});
  return p;
}

std::string Describe(const std::vector<IntPoint>& points) {
  std::ostringstream s;
  for (const IntPoint& p : points) s << '(' << p.x << ',' << p.y << ')';
  return s.str();
}

// Rows of the first point of every chain, in list order.
std::vector<int32_t> FirstRows(const std::vector<ChainRecord>& chains) {
  std::vector<int32_t> rows;
  for (const ChainRecord& c : chains) rows.push_back(c.points.empty() ? -1 : c.points.front().y);
  return rows;
}

DrawOrderBlob Table(std::initializer_list<std::pair<uint8_t, uint8_t>> positionAndChain) {
  DrawOrderBlob t;
  std::memset(&t, 0, sizeof t);
  t.version = 1;
  for (auto [position, chain] : positionAndChain) {
    t.targetPosition[t.count] = position;
    t.chainPlusOne[t.count] = chain;
    ++t.count;
  }
  return t;
}

ChainSelectionBlob Selection(std::initializer_list<int32_t> ids, uint8_t pending = 1) {
  ChainSelectionBlob s;
  std::memset(&s, 0, sizeof s);
  s.version = 1;
  for (int32_t id : ids) s.chainIds[s.count++] = id;
  s.mergePending = pending;
  return s;
}

TEST(ChainOrientation, OpenChainsStartAtTheLowerKey) {
  std::vector<ChainRecord> chains = {
      Chain(Points({{10, 0}, {6, 0}, {2, 0}})),  // end nearer the start: reversed
      Chain(Points({{-5, 0}, {5, 0}})),          // equal keys keep their direction
      Chain(Points({{3, 4}, {20, 0}})),
      Chain(Points({{7, 7}})),                   // a single point is left alone
  };
  OrientChains(chains, 0.0f, 0.0f);
  EXPECT_EQ(Describe(chains[0].points), "(2,0)(6,0)(10,0)");
  EXPECT_EQ(Describe(chains[1].points), "(-5,0)(5,0)");
  EXPECT_EQ(Describe(chains[2].points), "(3,4)(20,0)");
  EXPECT_EQ(Describe(chains[3].points), "(7,7)");

  // Of two ends equally far from the start, the higher one (smaller y) leads.
  std::vector<ChainRecord> tie = {Chain(Points({{0, 10}, {0, -10}}))};
  OrientChains(tie, 0.0f, 0.0f);
  EXPECT_EQ(Describe(tie[0].points), "(0,-10)(0,10)");
}

TEST(ChainOrientation, ClosedChainsRotateToTheirLowestKeyAndRunLeft) {
  // p4 = (10, 20) has the smallest key seen from (0, 30).
  std::vector<ChainRecord> chains = {
      Chain(Points({{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}}), true),
      Chain(Points({{15, 10}, {20, 10}, {20, 20}, {10, 20}, {15, 10}}), true),  // p1 right of p4
      Chain(Points({{10, 10}, {20, 10}, {20, 20}, {10, 20}}), true),            // no closing repeat
      Chain(Points({{1, 1}, {2, 2}, {1, 1}}), true),                            // too short once the repeat goes
  };
  OrientChains(chains, 0.0f, 30.0f);
  EXPECT_EQ(Describe(chains[0].points), "(10,20)(10,10)(20,10)(20,20)(10,20)");
  EXPECT_EQ(Describe(chains[1].points), "(10,20)(20,20)(20,10)(15,10)(10,20)");
  EXPECT_EQ(Describe(chains[2].points), "(10,20)(10,10)(20,10)(20,20)(10,20)");
  EXPECT_EQ(Describe(chains[3].points), "(1,1)(2,2)");
}

TEST(ChainSort, AscendingDistanceStableAndEmptyLast) {
  std::vector<ChainRecord> chains = {Row(30), Chain({}), Row(-10), Row(10), Row(-20), Row(20)};
  // Rows 10 and -10 are equally far from (0, 0): they keep their order.
  SortChainsByStartDistance(chains, 0.0f, 0.0f);
  EXPECT_EQ(FirstRows(chains), (std::vector<int32_t>{-10, 10, -20, 20, 30, -1}));
}

TEST(ChainMergeSlots, LaterSlotsCountAgainstTheShrunkList) {
  std::vector<ChainRecord> chains = {Row(1), Row(2), Row(3), Row(4), Row(5)};
  MergeSlot slots[5] = {{2, 3}, {3, 4}, {}, {}, {}};
  ApplyMergeSlots(chains, slots, false);
  ASSERT_EQ(chains.size(), 3u);
  EXPECT_EQ(Describe(chains[0].points), "(0,1)(5,1)");
  EXPECT_EQ(Describe(chains[1].points), "(0,2)(5,2)(0,3)(5,3)");
  EXPECT_EQ(Describe(chains[2].points), "(0,4)(5,4)(0,5)(5,5)");
}

TEST(ChainMergeSlots, InvalidSlotsChangeNothing) {
  std::vector<ChainRecord> chains = {Row(1), Row(2), Chain(Points({{0, 3}, {5, 3}, {0, 3}}), true)};
  MergeSlot slots[5] = {{1, 3}, {2, 2}, {1, 4}, {0, 2}, {2, 0}};  // closed, same, beyond, off, off
  ApplyMergeSlots(chains, slots, true);
  EXPECT_EQ(FirstRows(chains), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(chains[0].points.size(), 2u);

  // Numbers no slider allows, as a damaged project could carry them.
  constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
  MergeSlot damaged[5] = {{kLowest, 2}, {1, kLowest}, {-1, 2}, {std::numeric_limits<int32_t>::max(), 1}, {}};
  ApplyMergeSlots(chains, damaged, true);
  EXPECT_EQ(FirstRows(chains), (std::vector<int32_t>{1, 2, 3}));
}

TEST(ChainReverseSlots, ReverseOpenChainsNamedByTheSlots) {
  std::vector<ChainRecord> chains = {Row(1), Row(2), Row(3), Chain(Points({{0, 4}, {5, 4}, {0, 4}}), true)};
  const int32_t slots[5] = {2, 2, 3, 4, 5};  // 2 twice: unchanged; 4 closed; 5 beyond the list
  ApplyReverseSlots(chains, slots);
  EXPECT_EQ(Describe(chains[1].points), "(0,2)(5,2)");
  EXPECT_EQ(Describe(chains[2].points), "(5,3)(0,3)");
  EXPECT_EQ(Describe(chains[3].points), "(0,4)(5,4)(0,4)");
  const int32_t negative[5] = {-1, 0, 0, 0, 1};
  ApplyReverseSlots(chains, negative);
  EXPECT_EQ(Describe(chains[0].points), "(5,1)(0,1)");
}

TEST(ChainDrawOrder, FirstClaimWinsAndUnclaimedChainsFillInOrder) {
  std::vector<ChainRecord> three = {Row(1), Row(2), Row(3)};
  ApplyDrawOrderTable(three, Table({{1, 3}, {1, 2}}));
  EXPECT_EQ(FirstRows(three), (std::vector<int32_t>{3, 1, 2}));

  // A chain may be claimed only once either.
  std::vector<ChainRecord> again = {Row(1), Row(2), Row(3)};
  ApplyDrawOrderTable(again, Table({{3, 1}, {2, 1}, {1, 3}}));
  EXPECT_EQ(FirstRows(again), (std::vector<int32_t>{3, 2, 1}));
}

TEST(ChainDrawOrder, EntriesOutsideTheListAreIgnored) {
  std::vector<ChainRecord> four = {Row(1), Row(2), Row(3), Row(4)};
  ApplyDrawOrderTable(four, Table({{5, 1}, {2, 9}, {0, 1}, {1, 0}, {4, 1}}));
  EXPECT_EQ(FirstRows(four), (std::vector<int32_t>{2, 3, 4, 1}));

  std::vector<ChainRecord> none;
  ApplyDrawOrderTable(none, Table({{1, 1}}));
  EXPECT_TRUE(none.empty());

  // A damaged count larger than the table reads no further than its 128 entries.
  std::vector<ChainRecord> damaged = {Row(1), Row(2)};
  DrawOrderBlob t = Table({{2, 1}});
  t.count = 100000;
  ApplyDrawOrderTable(damaged, t);
  EXPECT_EQ(FirstRows(damaged), (std::vector<int32_t>{2, 1}));
}

TEST(ChainShaping, FlatteningGivesTwelvePointsPerSpan) {
  // A straight cubic with handles at thirds: evenly spaced points.
  ChainRecord c = Chain(Points({{0, 0}, {12, 0}, {12, 24}}));
  c.fpoints = {{0, 0}, {12, 0}, {12, 24}};
  c.outT = {{4, 0}, {0, 8}, {0, 0}};
  c.inT = {{0, 0}, {-4, 0}, {0, -8}};
  FlattenBezierChain(c);
  ASSERT_EQ(c.points.size(), 1u + 12u * 2u);
  ASSERT_EQ(c.fpoints.size(), c.points.size());
  EXPECT_TRUE(c.inT.empty());
  EXPECT_TRUE(c.outT.empty());
  for (int32_t k = 0; k <= 12; ++k) {
    EXPECT_EQ(c.points[k].x, k);
    EXPECT_EQ(c.points[k].y, 0);
    EXPECT_EQ(c.points[12 + k].x, 12);
    EXPECT_EQ(c.points[12 + k].y, 2 * k);
  }
  EXPECT_EQ(c.fpoints.back().y, 24.0f);

  // Without handles for every point the chain is left alone.
  ChainRecord plain = Chain(Points({{0, 0}, {5, 0}, {9, 9}}));
  plain.outT = {{1, 0}};
  FlattenBezierChain(plain);
  EXPECT_EQ(plain.points.size(), 3u);
}

TEST(ChainShaping, ChaikinDoublesPointsAndKeepsTheEnds) {
  ChainRecord once = Chain(Points({{0, 0}, {4, 0}, {4, 4}}));
  SubdivideChaikin(once, 1);
  EXPECT_EQ(Describe(once.points), "(0,0)(1,0)(3,0)(4,1)(4,3)(4,4)");

  ChainRecord twice = Chain(Points({{0, 0}, {4, 0}, {4, 4}}));
  SubdivideChaikin(twice, 2);
  ASSERT_EQ(twice.points.size(), 12u);
  ASSERT_EQ(twice.fpoints.size(), 12u);
  EXPECT_EQ(Describe({twice.points.front(), twice.points.back()}), "(0,0)(4,4)");

  ChainRecord loop = Chain(Points({{0, 0}, {8, 0}, {8, 8}, {0, 0}}), true);
  SubdivideChaikin(loop, 3);
  EXPECT_EQ(loop.points.size(), 32u);
  EXPECT_EQ(Describe({loop.points.front(), loop.points.back()}), "(0,0)(0,0)");

  ChainRecord shortChain = Chain(Points({{0, 0}, {4, 0}}));
  SubdivideChaikin(shortChain, 4);
  EXPECT_EQ(shortChain.points.size(), 2u);
}

TEST(ChainShaping, FittedChainsAreFlattenedThenSubdivided) {
  RenderSettings settings;
  settings.useBezierFit = true;
  settings.fitTolerance = 2.5f;
  settings.subdivide = 1;
  std::vector<ChainRecord> chains = {Chain(Points({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}})),
                                     Chain(Points({{0, 5}, {3, 5}, {3, 9}, {0, 5}}), true)};
  ShapeChains(chains, DistanceField{}, 0, 0, settings);
  // A straight run fits one span: 13 flattened points, 26 after one Chaikin pass.
  EXPECT_EQ(chains[0].points.size(), 26u);
  EXPECT_EQ(chains[0].fpoints.size(), 26u);
  // Closed chains are never fitted, only subdivided.
  EXPECT_EQ(chains[1].points.size(), 8u);
}

TEST(ChainPendingMerge, MergesTheListedChainsAndClearsTheRequest) {
  std::vector<ChainRecord> chains = {Row(0), Row(1), Row(2), Row(3), Row(4)};
  ChainSelectionBlob s = Selection({4, 0, 2, 2, 9, -1});
  s.reserved[1] = 0xAB;
  EXPECT_TRUE(ApplyPendingSelectionMerge(chains, false, s));
  ASSERT_EQ(chains.size(), 3u);
  EXPECT_EQ(Describe(chains[0].points), "(0,0)(5,0)(0,2)(5,2)(0,4)(5,4)");
  EXPECT_EQ(FirstRows(chains), (std::vector<int32_t>{0, 1, 3}));
  EXPECT_EQ(s.count, 0u);
  EXPECT_EQ(s.mergePending, 0);
  for (int32_t id : s.chainIds) EXPECT_EQ(id, 0);
  EXPECT_EQ(s.reserved[1], 0xAB);
}

TEST(ChainPendingMerge, RefusedMergesAndShortSelections) {
  // Not pending: nothing at all.
  std::vector<ChainRecord> chains = {Row(0), Chain(Points({{0, 1}, {5, 1}, {0, 1}}), true), Row(2)};
  ChainSelectionBlob idle = Selection({0, 2}, 0);
  EXPECT_FALSE(ApplyPendingSelectionMerge(chains, true, idle));
  EXPECT_EQ(idle.count, 2u);
  EXPECT_EQ(chains.size(), 3u);

  // Fewer than two ids: only the flag is cleared.
  ChainSelectionBlob single = Selection({1});
  EXPECT_FALSE(ApplyPendingSelectionMerge(chains, true, single));
  EXPECT_EQ(single.mergePending, 0);
  EXPECT_EQ(single.count, 1u);
  EXPECT_EQ(single.chainIds[0], 1);

  // The closed chain is refused; the target stays and the next id still merges.
  ChainSelectionBlob mixed = Selection({0, 1, 2});
  EXPECT_TRUE(ApplyPendingSelectionMerge(chains, false, mixed));
  ASSERT_EQ(chains.size(), 2u);
  EXPECT_EQ(Describe(chains[0].points), "(0,0)(5,0)(0,2)(5,2)");
  EXPECT_EQ(chains[1].closed, 1);

  // A damaged count never reads past the 64 ids.
  std::vector<ChainRecord> many = {Row(0), Row(1)};
  ChainSelectionBlob damaged = Selection({0, 1});
  damaged.count = 1000;
  EXPECT_TRUE(ApplyPendingSelectionMerge(many, false, damaged));
  EXPECT_EQ(many.size(), 1u);
}

TEST(ChainSeeds, NearestStrokeEndAroundTheFirstPoint) {
  const ByteMask mask = test_masks::MaskFromRows({
      "...............",
      ".#########.....",
      "...............",
      "...............",
      "...............",
      "...............",
      "...............",
      "...............",
      "..........#....",
      "..........#....",
      "..........#....",
      "...............",
  });
  const std::vector<ChainRecord> chains = {
      Chain(Points({{1, 1}, {9, 1}})),    // starts on a stroke end
      Chain(Points({{4, 1}, {9, 1}})),    // three pixels from the end at (1, 1)
      Chain(Points({{10, 9}, {10, 8}})),  // middle pixel: both ends at distance 1, scan order picks (10, 8)
      Chain(Points({{3, 9}, {4, 9}})),    // no end within five rings
      Chain({}),                          // no points: no seed
  };
  const std::vector<FloatPoint> seeds = FindChainSeeds(mask, chains);
  ASSERT_EQ(seeds.size(), 4u);
  EXPECT_EQ(seeds[0].x, 1.0f);
  EXPECT_EQ(seeds[0].y, 1.0f);
  EXPECT_EQ(seeds[1].x, 1.0f);
  EXPECT_EQ(seeds[1].y, 1.0f);
  EXPECT_EQ(seeds[2].x, 10.0f);
  EXPECT_EQ(seeds[2].y, 8.0f);
  EXPECT_EQ(seeds[3].x, 3.0f);
  EXPECT_EQ(seeds[3].y, 9.0f);
}

}  // namespace

namespace {

// A cross, which no single polyline covers without retracing, and a separate stroke.
ByteMask CrossAndStroke() {
  ByteMask mask = test_masks::EmptyMask(90, 60);
  for (int32_t x = 5; x <= 45; ++x) MaskSet(mask, x, 25, 1);
  for (int32_t y = 5; y <= 45; ++y) MaskSet(mask, 25, y, 1);
  for (int32_t x = 60; x <= 85; ++x) MaskSet(mask, x, 50, 1);
  return mask;
}

TEST(ChainExtraction, MergeByShapeGivesOneChainPerShape) {
  RenderSettings settings;
  settings.minChainLength = 5.0f;
  settings.startX = 0.0f;
  settings.startY = 0.0f;
  const ByteMask mask = CrossAndStroke();
  const std::vector<ChainRecord> simple = ExtractRenderChains(mask, settings);
  EXPECT_GE(simple.size(), 3u);

  for (bool directional : {false, true}) {
    settings.mergeByShape = true;
    settings.directionalStart = directional;
    const std::vector<ChainRecord> merged = ExtractRenderChains(mask, settings);
    ASSERT_EQ(merged.size(), 2u) << "directional " << directional;
    // The cross is walked as one stroke that reaches the ends of all four arms.
    const ChainRecord& cross = merged[0].points.front().x < 50 ? merged[0] : merged[1];
    int32_t left = 99, right = 0, top = 99, bottom = 0;
    for (const IntPoint& p : cross.points) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
    EXPECT_LE(left, 7);
    EXPECT_GE(right, 43);
    EXPECT_LE(top, 7);
    EXPECT_GE(bottom, 43);
  }
}

}  // namespace
