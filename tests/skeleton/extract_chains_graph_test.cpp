#include "skeleton/extract_chains_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>

#include "bench/synthetic_text.h"
#include "skeleton/extract_chains_simple.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/shape_walk.h"
#include "skeleton/skeleton_graph.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::EmptyMask;

void SetPixel(ByteMask& mask, int32_t x, int32_t y) { mask.cells[static_cast<size_t>(y) * mask.width + x] = 1; }

void DrawRun(ByteMask& mask, IntPoint from, IntPoint to) {
  const int32_t steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
  const int32_t sx = (to.x > from.x) - (to.x < from.x), sy = (to.y > from.y) - (to.y < from.y);
  for (int32_t k = 0; k <= steps; ++k) SetPixel(mask, from.x + k * sx, from.y + k * sy);
}

ByteMask StraightStroke() {
  ByteMask mask = EmptyMask(60, 20);
  DrawRun(mask, {10, 10}, {40, 10});
  return mask;
}

// A Y with its fork at (cx, cy): a stem of `stem` pixels below it and two
// diagonal arms of `left` and `right` pixels above it.
void DrawY(ByteMask& mask, int32_t cx, int32_t cy, int32_t stem, int32_t left, int32_t right) {
  DrawRun(mask, {cx, cy}, {cx, cy + stem});
  DrawRun(mask, {cx - 1, cy - 1}, {cx - left, cy - left});
  DrawRun(mask, {cx + 1, cy - 1}, {cx + right, cy - right});
}

// A ring of degree-2 pixels (no node): a diamond of diagonal steps.
void DrawDiamond(ByteMask& mask, int32_t cx, int32_t cy, int32_t r) {
  DrawRun(mask, {cx, cy - r}, {cx + r, cy});
  DrawRun(mask, {cx + r, cy}, {cx, cy + r});
  DrawRun(mask, {cx, cy + r}, {cx - r, cy});
  DrawRun(mask, {cx - r, cy}, {cx, cy - r});
}

ChainRecord Chain(std::vector<IntPoint> points, uint8_t closed = 0) {
  ChainRecord chain;
  chain.points = std::move(points);
  chain.closed = closed;
  return chain;
}

bool SamePoints(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](IntPoint p, IntPoint q) { return PointsEqual(p, q); });
}

bool SameChains(const std::vector<ChainRecord>& a, const std::vector<ChainRecord>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SamePoints(a[i].points, b[i].points) || a[i].closed != b[i].closed) return false;
  }
  return true;
}

ByteMask ThinnedText(int32_t width, int32_t height, uint32_t seed, int32_t glyphHeight) {
  ByteMask mask = synthetic_text::MakeTextMask(width, height, seed, glyphHeight);
  ThinZhangSuen(mask);
  return mask;
}

TEST(ExtractChainsGraph, EmptyOrBlankMasksGiveNoChains) {
  const std::vector<FloatPoint> noSeeds;
  const std::vector<ChainRecord> noChains;
  EXPECT_TRUE(ExtractChainsGraph(EmptyMask(0, 0), 20, 0, 0, 0, 0, 0, noSeeds, noChains).empty());
  EXPECT_TRUE(ExtractChainsGraph(EmptyMask(0, 7), 20, 0, 0, 0, 0, 0, noSeeds, noChains).empty());
  EXPECT_TRUE(ExtractChainsGraph(EmptyMask(30, 30), 20, 0, 0, 1, 0.5f, 1, noSeeds, noChains).empty());
  ByteMask malformed = EmptyMask(10, 10);
  malformed.cells.resize(50, 1);  // fewer cells than the size promises
  EXPECT_TRUE(ExtractChainsGraph(malformed, 0, 0, 0, 0, 0, 0, noSeeds, noChains).empty());
}

TEST(ExtractChainsGraph, StraightStrokeReusesItsSimpleChainTowardTheStartPoint) {
  const ByteMask mask = StraightStroke();
  ChainRecord simple = Chain({{10, 10}, {40, 10}});
  simple.fpoints = {FloatPoint{10.2f, 10.0f}, FloatPoint{39.8f, 10.0f}};  // copied as they stand
  const std::vector<ChainRecord> simpleChains = {simple};

  const auto towardEnd = ExtractChainsGraph(mask, 20, 50, 10, 0, 0, 0, {}, simpleChains);
  ASSERT_EQ(towardEnd.size(), 1u);
  EXPECT_TRUE(SamePoints(towardEnd[0].points, {{40, 10}, {10, 10}}));
  EXPECT_EQ(towardEnd[0].closed, 0);
  ASSERT_EQ(towardEnd[0].fpoints.size(), 2u);
  EXPECT_EQ(towardEnd[0].fpoints[0].x, 10.2f);

  EXPECT_EQ(ComputeWritingDirection(mask, 0, 10).x, -1.0f);
  const auto directional = ExtractChainsGraph(mask, 20, 0, 10, 0, 0, 1, {}, simpleChains);
  ASSERT_EQ(directional.size(), 1u);
  EXPECT_TRUE(SamePoints(directional[0].points, {{10, 10}, {40, 10}}));
}

TEST(ExtractChainsGraph, StraightStrokeWithoutReuseIsTracedAndMarkedClosed) {
  const ByteMask mask = StraightStroke();
  const auto traced = ExtractChainsGraph(mask, 20, 50, 10, 0, 0, 0, {}, {});
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_TRUE(SamePoints(traced[0].points, {{40, 10}, {10, 10}}));
  EXPECT_EQ(traced[0].closed, 1);

  // Two simple chains in one component: neither is reused.
  const std::vector<ChainRecord> halves = {Chain({{10, 10}, {25, 10}}), Chain({{26, 10}, {40, 10}})};
  const auto notReused = ExtractChainsGraph(mask, 20, 50, 10, 0, 0, 0, {}, halves);
  ASSERT_EQ(notReused.size(), 1u);
  EXPECT_EQ(notReused[0].closed, 1);

  // Shorter than minLength: the only edge is pruned, so nothing at all.
  EXPECT_TRUE(ExtractChainsGraph(mask, 31, 50, 10, 0, 0, 0, {}, {Chain({{10, 10}, {40, 10}})}).empty());
  EXPECT_EQ(ExtractChainsGraph(mask, 30, 50, 10, 0, 0, 0, {}, {}).size(), 1u);
}

TEST(ExtractChainsGraph, ReusedClosedChainStartsNearestTheStartPointAndIsClosedByARepeat) {
  // A ring with a tail, so the component has a live edge.
  ByteMask mask = EmptyMask(50, 50);
  DrawDiamond(mask, 20, 20, 10);
  DrawRun(mask, {31, 20}, {45, 20});
  const ChainRecord loop = Chain({{20, 10}, {30, 20}, {20, 30}, {10, 20}, {20, 10}}, 1);
  const auto result = ExtractChainsGraph(mask, 5, 8, 22, 0, 0, 0, {}, {loop});
  ASSERT_EQ(result.size(), 1u);
  EXPECT_TRUE(SamePoints(result[0].points, {{10, 20}, {20, 10}, {30, 20}, {20, 30}, {10, 20}}));
  EXPECT_EQ(result[0].closed, 1);
}

TEST(ExtractChainsGraph, RingWithoutNodeIsTracedClosedFromItsNearestPixel) {
  ByteMask mask = EmptyMask(50, 50);
  DrawDiamond(mask, 25, 25, 10);
  const ChainRecord coveringChain = Chain({{25, 15}, {35, 25}, {25, 35}, {15, 25}}, 1);

  const auto nearest = ExtractChainsGraph(mask, 20, 40, 26, 0, 0, 0, {}, {coveringChain});
  ASSERT_EQ(nearest.size(), 1u);
  EXPECT_TRUE(PointsEqual(nearest[0].points.front(), IntPoint{35, 25}));
  EXPECT_FALSE(PointsEqual(nearest[0].points.front(), nearest[0].points.back()));
  EXPECT_EQ(nearest[0].closed, 1);
  EXPECT_GE(nearest[0].points.size(), 4u);  // a polygon, not the given chain

  // Directional: the pixel furthest along the writing direction (toward the top).
  const auto furthest = ExtractChainsGraph(mask, 20, 25, -40, 0, 0, 1, {}, {});
  ASSERT_EQ(furthest.size(), 1u);
  EXPECT_TRUE(PointsEqual(furthest[0].points.front(), IntPoint{25, 15}));

  EXPECT_TRUE(ExtractChainsGraph(mask, 60, 40, 26, 0, 0, 0, {}, {}).empty());
}

TEST(ExtractChainsGraph, JunctionShapeIsOneStrokeThatRetracesTheShorterDeadEndFirst) {
  ByteMask mask = EmptyMask(40, 40);
  DrawY(mask, 20, 20, 12, 5, 10);
  // Start below the stem: the walk starts at the stem's end, takes the shorter
  // arm, runs back to the fork and ends at the end of the longer arm.
  const auto result = ExtractChainsGraph(mask, 3, 20, 39, 0, 0, 0, {}, {});
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].closed, 0);
  EXPECT_TRUE(PointsEqual(result[0].points.front(), IntPoint{20, 32}));
  EXPECT_TRUE(PointsEqual(result[0].points.back(), IntPoint{30, 10}));

  SkeletonGraph graph = BuildSkeletonGraph(mask, 3);
  BranchScratch scratch;
  const std::vector<int32_t> nodes = [&] {
    std::vector<int32_t> all(graph.nodes.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int32_t>(i);
    return all;
  }();
  const std::vector<IntPoint> walk =
      WalkJunctionComponent(graph, mask, nodes, 0, ShapeWalkOptions{{20, 39}, {0, 1}, 0, 0, 0.0f}, {}, scratch);
  // Stem, short arm out and back, long arm: each drawn pixel once except the retrace.
  EXPECT_EQ(walk.size(), 13u + 5u + 5u + 10u);
  const ChainRecord simplified = SimplifyRdp(Chain(walk), kSimplifyTolerance);
  EXPECT_TRUE(SamePoints(simplified.points, result[0].points));
}

TEST(ExtractChainsGraph, SeedsPickTheStartOnlyInTheirOwnComponent) {
  ByteMask mask = EmptyMask(80, 40);
  DrawY(mask, 20, 20, 12, 8, 8);  // component 0
  DrawY(mask, 60, 20, 12, 8, 8);  // component 1
  // The start point favours each stem's end; directional on would too.
  const float startX = 40, startY = 39;
  const auto plain = ExtractChainsGraph(mask, 3, startX, startY, 0, 0, 1, {}, {});
  ASSERT_EQ(plain.size(), 2u);
  EXPECT_TRUE(PointsEqual(plain[0].points.front(), IntPoint{20, 32}));
  EXPECT_TRUE(PointsEqual(plain[1].points.front(), IntPoint{60, 32}));

  // A seed with nothing in its 9 x 9 square and a non-finite one are ignored;
  // the next seed lands on the second Y's left arm end and applies only there.
  const std::vector<FloatPoint> seeds = {FloatPoint{40, 5}, FloatPoint{std::numeric_limits<float>::quiet_NaN(), 1e30f},
                                         FloatPoint{49.6f, 13.2f}};
  const auto seeded = ExtractChainsGraph(mask, 3, startX, startY, 0, 0, 1, seeds, {});
  ASSERT_EQ(seeded.size(), 2u);
  EXPECT_TRUE(PointsEqual(seeded[0].points.front(), IntPoint{20, 32}));
  EXPECT_TRUE(PointsEqual(seeded[1].points.front(), IntPoint{52, 12}));

  IntPoint pixel;
  EXPECT_FALSE(FindSeedPixel(mask, FloatPoint{40, 5}, pixel));
  ASSERT_TRUE(FindSeedPixel(mask, FloatPoint{49.6f, 13.2f}, pixel));
  EXPECT_TRUE(PointsEqual(pixel, IntPoint{52, 12}));
  ASSERT_TRUE(FindSeedPixel(mask, FloatPoint{-5, -5}, pixel) == false);
}

TEST(ExtractChainsGraph, WritingDirectionFallsBackWhenTheStartIsTheCentroid) {
  ByteMask mask = EmptyMask(10, 10);
  SetPixel(mask, 2, 3);
  SetPixel(mask, 4, 5);
  EXPECT_EQ(ComputeWritingDirection(mask, 3.0f, 4.0f).x, -1.0f);
  EXPECT_EQ(ComputeWritingDirection(mask, 3.0005f, 4.0f).y, 0.0f);
  const FloatPoint away = ComputeWritingDirection(mask, 3.0f, 7.0f);
  EXPECT_EQ(away.x, 0.0f);
  EXPECT_EQ(away.y, 1.0f);
}

TEST(ExtractChainsGraph, SmartWithZeroBiasEqualsSmartOffAndRunsAreRepeatable) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    const ByteMask mask = ThinnedText(200, 120, seed, 24 + static_cast<int32_t>(seed) * 4);
    const auto simple = ExtractChainsSimple(mask, 20, 10, 1, 0);
    const auto off = ExtractChainsGraph(mask, 10, 100, 60, 0, 0, 0, {}, simple);
    const auto smartZero = ExtractChainsGraph(mask, 10, 100, 60, 1, 0.0f, 0, {}, simple);
    EXPECT_TRUE(SameChains(off, smartZero)) << "seed " << seed;
    const auto curved = ExtractChainsGraph(mask, 10, 100, 60, 1, -0.7f, 1, {{50, 50}}, simple);
    const auto curvedAgain = ExtractChainsGraph(mask, 10, 100, 60, 1, -0.7f, 1, {{50, 50}}, simple);
    EXPECT_TRUE(SameChains(curved, curvedAgain)) << "seed " << seed;
  }
}

// Plain breadth-first search over unpruned edges.
std::vector<int32_t> ReachableLiveEdges(const SkeletonGraph& graph, int32_t startNode) {
  std::vector<uint8_t> nodeSeen(graph.nodes.size(), 0), edgeSeen(graph.edges.size(), 0);
  std::vector<int32_t> queue = {startNode}, edges;
  nodeSeen[static_cast<size_t>(startNode)] = 1;
  for (size_t head = 0; head < queue.size(); ++head) {
    for (const int32_t e : graph.incidentEdges[static_cast<size_t>(queue[head])]) {
      if (edgeSeen[static_cast<size_t>(e)]++ == 0) edges.push_back(e);
      for (const int32_t n : {graph.edges[static_cast<size_t>(e)].nodeA, graph.edges[static_cast<size_t>(e)].nodeB}) {
        if (nodeSeen[static_cast<size_t>(n)]++ == 0) queue.push_back(n);
      }
    }
  }
  return edges;
}

TEST(ExtractChainsGraph, GeneratedTextGivesOneStrokePerShapeCoveringItsReachableEdges) {
  int32_t walkedComponents = 0;
  for (uint32_t seed = 1; seed <= 16; ++seed) {
    const ByteMask mask = ThinnedText(180 + 10 * static_cast<int32_t>(seed), 110, seed, 20 + 3 * static_cast<int32_t>(seed % 7));
    const float minLength = 4.0f + static_cast<float>(seed % 3) * 8.0f;
    const float startX = static_cast<float>((seed * 37) % 200), startY = static_cast<float>((seed * 53) % 110);
    const uint8_t smart = seed % 2, directional = (seed / 2) % 2;
    const float bias = seed % 4 == 1 ? 0.6f : -0.3f;
    const std::vector<ChainRecord> simple = seed % 3 == 0 ? std::vector<ChainRecord>{}
                                                          : ExtractChainsSimple(mask, 20, minLength, smart, bias);
    const auto result = ExtractChainsGraph(mask, minLength, startX, startY, smart, bias, directional, {}, simple);

    SkeletonGraph graph = BuildSkeletonGraph(mask, minLength);
    std::vector<int32_t> chainsPerComponent(static_cast<size_t>(graph.componentCount), 0);
    for (const ChainRecord& chain : result) {
      ASSERT_GE(chain.points.size(), 2u);
      const IntPoint first = chain.points.front();
      const int32_t c = graph.componentOfPixel[static_cast<size_t>(first.y) * mask.width + first.x];
      ASSERT_GE(c, 0);
      EXPECT_EQ(++chainsPerComponent[static_cast<size_t>(c)], 1) << "seed " << seed << " component " << c;
    }
    if (!simple.empty()) continue;  // the walk check below assumes no chain was reused

    // Every junction component, walked as the extraction walks it.
    std::vector<std::vector<int32_t>> nodesOf(static_cast<size_t>(graph.componentCount));
    for (size_t n = 0; n < graph.nodes.size(); ++n) {
      nodesOf[static_cast<size_t>(graph.nodeComponent[n])].push_back(static_cast<int32_t>(n));
    }
    std::vector<uint8_t> reached(static_cast<size_t>(graph.componentCount), 0);
    BranchScratch scratch;
    const ShapeWalkOptions options{{startX, startY}, ComputeWritingDirection(mask, startX, startY), directional,
                                   smart, bias};
    for (int32_t n = 0; n < static_cast<int32_t>(graph.nodes.size()); ++n) {
      const size_t c = static_cast<size_t>(graph.nodeComponent[static_cast<size_t>(n)]);
      if (reached[c] != 0 || graph.incidentEdges[static_cast<size_t>(n)].empty()) continue;
      reached[c] = 1;
      bool junction = false;
      for (const int32_t m : nodesOf[c]) junction |= graph.incidentEdges[static_cast<size_t>(m)].size() > 2;
      if (!junction) continue;
      ++walkedComponents;

      const std::vector<IntPoint> walk = WalkJunctionComponent(graph, mask, nodesOf[c], n, options, {}, scratch);
      for (size_t i = 1; i < walk.size(); ++i) {
        ASSERT_LE(std::abs(walk[i].x - walk[i - 1].x), 1) << "the stroke jumps";
        ASSERT_LE(std::abs(walk[i].y - walk[i - 1].y), 1) << "the stroke jumps";
      }
      std::set<int32_t> drawn;
      for (const IntPoint& p : walk) drawn.insert(p.y * mask.width + p.x);
      const int32_t startNode = graph.nodeOfPixel[static_cast<size_t>(walk[0].y) * mask.width + walk[0].x];
      ASSERT_GE(startNode, 0);
      for (const int32_t e : ReachableLiveEdges(graph, startNode)) {
        const EdgeRec& edge = graph.edges[static_cast<size_t>(e)];
        EXPECT_EQ(edge.used, 1);
        for (const IntPoint& p : edge.pixels) {
          EXPECT_TRUE(drawn.count(p.y * mask.width + p.x)) << "seed " << seed << " edge " << e;
        }
      }

      // The extraction's chain for this component is the simplified walk.
      const ChainRecord expected = SimplifyRdp(Chain(walk), kSimplifyTolerance);
      const bool kept = PolylineLength(expected.points) >= minLength || expected.points.size() > 4;
      const auto match = std::find_if(result.begin(), result.end(),
                                      [&](const ChainRecord& r) { return SamePoints(r.points, expected.points); });
      EXPECT_EQ(match != result.end(), kept) << "seed " << seed;
    }
  }
  EXPECT_GT(walkedComponents, 50);
}

TEST(ExtractChainsGraph, MillionsOfPixelsNeitherExhaustTheStackNorLoopForever) {
  // A serpentine of about 1.4 million skeleton pixels, one component, with a
  // comb of teeth on its first run so the walk has junctions to retrace.
  constexpr int32_t kSide = 2048;
  ByteMask mask = EmptyMask(kSide, kSide);
  const int32_t left = 2, right = kSide - 3;
  bool toRight = true;
  int32_t rows = 0;
  for (int32_t y = 200; y + 3 < kSide - 2; y += 3, ++rows) {
    DrawRun(mask, {left, y}, {right, y});
    const int32_t x = toRight ? right : left;
    if (y + 6 < kSide - 2) DrawRun(mask, {x, y + 1}, {x, y + 2});
    toRight = !toRight;
  }
  for (int32_t x = 100; x < kSide - 100; x += 150) DrawRun(mask, {x, 100}, {x, 199});

  const auto result = ExtractChainsGraph(mask, 20, 0, 0, 1, 0.3f, 0, {}, {});
  ASSERT_EQ(result.size(), 1u);
  EXPECT_GT(PolylineLength(result[0].points), static_cast<float>(rows) * (right - left) * 0.9f);

  // Noise: many small components, nodes everywhere.
  std::mt19937 rng(5);
  ByteMask noise = EmptyMask(1000, 1000);
  for (uint8_t& cell : noise.cells) cell = (rng() % 10) < 3 ? 1 : 0;
  const auto scattered = ExtractChainsGraph(noise, 3, 500, 500, 1, 0.5f, 1, {}, {});
  EXPECT_FALSE(scattered.empty());
}

}  // namespace
