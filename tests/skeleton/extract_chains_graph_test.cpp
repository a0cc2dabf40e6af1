#include "skeleton/extract_chains_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>

#include "bench/synthetic_text.h"
#include "skeleton/extract_chains_simple.h"
#include "skeleton/portable_trig.h"
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

// The extraction written out plainly, without the fast paths of the real one
// (shared trace grid, reused branch marks, nodes grouped by component, early
// exits): fresh grids and full node scans everywhere. Only the graph is shared.
namespace plain {

FloatPoint Unit(float x, float y) {
  const float length = std::sqrt(x * x + y * y);
  return length > 0.0f ? FloatPoint{x / length, y / length} : FloatPoint{x, y};
}

FloatPoint Step(IntPoint from, IntPoint to) {
  return Unit(static_cast<float>(to.x - from.x), static_cast<float>(to.y - from.y));
}

bool FreeEdge(const SkeletonGraph& g, int32_t n) {
  for (const int32_t e : g.incidentEdges[static_cast<size_t>(n)]) {
    if (g.edges[static_cast<size_t>(e)].used == 0 && g.edges[static_cast<size_t>(e)].pruned == 0) return true;
  }
  return false;
}

BranchInfo Measure(const SkeletonGraph& g, int32_t start, int32_t excluded) {
  BranchInfo info;
  std::vector<uint8_t> seen(g.nodes.size(), 0);
  seen[static_cast<size_t>(start)] = 1;
  if (g.incidentEdges[static_cast<size_t>(start)].size() == 1) info.hasLeaf = 1;
  std::vector<std::pair<int32_t, int32_t>> stack = {{start, excluded}};
  while (!stack.empty()) {
    const auto [n, arrival] = stack.back();
    stack.pop_back();
    for (const int32_t e : g.incidentEdges[static_cast<size_t>(n)]) {
      const EdgeRec& edge = g.edges[static_cast<size_t>(e)];
      if (e == arrival || edge.used != 0) continue;
      const int32_t m = edge.nodeA == n ? edge.nodeB : edge.nodeA;
      if (seen[static_cast<size_t>(m)]++ != 0) continue;
      info.length += edge.length;
      if (g.incidentEdges[static_cast<size_t>(m)].size() == 1) info.hasLeaf = 1;
      stack.emplace_back(m, e);
    }
  }
  return info;
}

std::vector<IntPoint> Trace(const ByteMask& mask, IntPoint start, std::vector<uint8_t>& visited) {
  std::vector<IntPoint> points;
  IntPoint previous{-1, -1}, current = start;
  for (int64_t i = 0; i < static_cast<int64_t>(mask.width) * mask.height; ++i) {
    visited[static_cast<size_t>(current.y) * mask.width + current.x] = 1;
    points.push_back(current);
    bool moved = false;
    for (int32_t k = 0; k < 8 && !moved; ++k) {
      const IntPoint next{current.x + kNeighbourOffsetX[k], current.y + kNeighbourOffsetY[k]};
      if (MaskGet(mask, next.x, next.y) == 0 || PointsEqual(next, previous) ||
          visited[static_cast<size_t>(next.y) * mask.width + next.x] != 0) {
        continue;
      }
      previous = current;
      current = next;
      moved = true;
    }
    if (!moved) break;
  }
  return points;
}

std::vector<ChainRecord> Extract(const ByteMask& mask, float minLength, float sx, float sy, uint8_t smart, float bias,
                                 uint8_t directional, const std::vector<FloatPoint>& seeds,
                                 const std::vector<ChainRecord>& simple) {
  std::vector<ChainRecord> result;
  const int32_t w = mask.width, h = mask.height;
  SkeletonGraph g = BuildSkeletonGraph(mask, minLength);
  const FloatPoint dir = ComputeWritingDirection(mask, sx, sy);
  auto squared = [](IntPoint q, float rx, float ry) {
    const float dx = static_cast<float>(q.x) - rx, dy = static_cast<float>(q.y) - ry;
    return dx * dx + dy * dy;
  };
  auto along = [&](IntPoint q) { return static_cast<float>(q.x) * dir.x + static_cast<float>(q.y) * dir.y; };
  auto preferred = [&](const std::vector<IntPoint>& p) {
    size_t k = 0;
    float best = directional ? -1e30f : 1e30f;
    for (size_t i = 0; i < p.size(); ++i) {
      const float v = directional ? along(p[i]) : squared(p[i], sx, sy);
      if (directional ? v > best : v < best) best = v, k = i;
    }
    return k;
  };
  auto pixel = [&](int32_t n) {
    const int32_t index = g.nodes[static_cast<size_t>(n)];
    return IntPoint{index % w, index / w};
  };
  auto componentAt = [&](IntPoint p) {
    return p.x < 0 || p.y < 0 || p.x >= w || p.y >= h ? -1 : g.componentOfPixel[static_cast<size_t>(p.y) * w + p.x];
  };
  auto keep = [&](std::vector<IntPoint> points, uint8_t closed) {
    ChainRecord raw;
    raw.points = std::move(points);
    ChainRecord out = SimplifyRdp(raw, 2.5f);
    out.closed = closed;
    return out;
  };
  const size_t components = static_cast<size_t>(g.componentCount);
  std::vector<uint8_t> junction(components, 0), done(components, 0), hasNode(components, 0);
  for (size_t n = 0; n < g.nodes.size(); ++n) {
    hasNode[static_cast<size_t>(g.nodeComponent[n])] = 1;
    if (g.incidentEdges[n].size() > 2) junction[static_cast<size_t>(g.nodeComponent[n])] = 1;
  }

  std::vector<int32_t> count(components, 0), first(components, -1);
  for (size_t k = 0; k < simple.size(); ++k) {
    const auto& p = simple[k].points;
    if (p.size() < 2) continue;
    const int32_t c = componentAt(p.front());
    if (c < 0 || componentAt(p[p.size() / 2]) != c || componentAt(p.back()) != c) continue;
    if (count[static_cast<size_t>(c)]++ == 0) first[static_cast<size_t>(c)] = static_cast<int32_t>(k);
  }
  for (size_t c = 0; c < components; ++c) {
    if (count[c] != 1 || g.liveEdgeCount[c] == 0) continue;
    ChainRecord chain = simple[static_cast<size_t>(first[c])];
    auto& p = chain.points;
    if (chain.closed == 0) {
      if (directional ? along(p.back()) > along(p.front()) : squared(p.back(), sx, sy) < squared(p.front(), sx, sy)) {
        std::reverse(p.begin(), p.end());
      }
    } else {
      if (PointsEqual(p.front(), p.back())) p.pop_back();
      std::rotate(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(preferred(p)), p.end());
      if (p.size() >= 2) p.push_back(p.front());
    }
    result.push_back(chain);
    done[c] = 1;
  }

  for (int32_t i = 0; i < static_cast<int32_t>(g.nodes.size()); ++i) {
    const int32_t c = g.nodeComponent[static_cast<size_t>(i)];
    if (done[static_cast<size_t>(c)] != 0 || g.liveEdgeCount[static_cast<size_t>(c)] == 0 || !FreeEdge(g, i)) continue;
    done[static_cast<size_t>(c)] = 1;
    if (junction[static_cast<size_t>(c)] == 0) {
      int32_t start = i;
      float best = 1e30f;
      for (int32_t n = 0; n < static_cast<int32_t>(g.nodes.size()); ++n) {
        const float d = squared(pixel(n), sx, sy);
        if (g.nodeComponent[static_cast<size_t>(n)] == c && d < best) best = d, start = n;
      }
      std::vector<uint8_t> visited(mask.cells.size(), 0);
      std::vector<IntPoint> trace = Trace(mask, pixel(start), visited);
      if (trace.size() < 4) continue;
      ChainRecord chain = keep(std::move(trace), 1);
      if (PolylineLength(chain.points) >= minLength) result.push_back(chain);
      continue;
    }

    FloatPoint reference{sx, sy};
    bool seeded = false;
    for (const FloatPoint& seed : seeds) {
      IntPoint found;
      if (FindSeedPixel(mask, seed, found) && componentAt(found) == c) {
        reference = FloatPoint{static_cast<float>(found.x), static_cast<float>(found.y)};
        seeded = true;
        break;
      }
    }
    int32_t start = -1;
    for (int32_t pass = 0; pass < 2 && start < 0; ++pass) {
      float nearest = 1e30f, furthest = -1e30f;
      for (int32_t n = 0; n < static_cast<int32_t>(g.nodes.size()); ++n) {
        if (g.nodeComponent[static_cast<size_t>(n)] != c || !FreeEdge(g, n)) continue;
        if (pass == 0 && g.nodeDegree[static_cast<size_t>(n)] != 1) continue;
        if (directional != 0 && !seeded) {
          if (along(pixel(n)) > furthest) furthest = along(pixel(n)), start = n;
        } else if (squared(pixel(n), reference.x, reference.y) < nearest) {
          nearest = squared(pixel(n), reference.x, reference.y), start = n;
        }
      }
    }
    if (start < 0) start = i;

    int32_t current = start;
    std::vector<IntPoint> points = {pixel(start)};
    std::vector<std::pair<int32_t, int32_t>> stack = {{start, -1}};
    FloatPoint heading{0, 0};
    int32_t remaining = g.liveEdgeCount[static_cast<size_t>(c)];
    size_t lastForward = 0;
    auto walkFrom = [&](const EdgeRec& e, int32_t from) {
      if (e.nodeA == from) {
        for (size_t q = 1; q < e.pixels.size(); ++q) points.push_back(e.pixels[q]);
      } else {
        for (size_t q = e.pixels.size() - 1; q-- > 0;) points.push_back(e.pixels[q]);
      }
    };
    const bool curve = smart != 0 && std::fabs(bias) > 0.0001f;
    for (;;) {
      FloatPoint p = heading;
      if (curve && (heading.x != 0 || heading.y != 0) && points.size() >= 4) {
        const size_t n = points.size(), k = std::min<size_t>(n - 1, 5);
        float sum = 0;
        for (size_t j = n - k; j <= n - 2; ++j) {
          const FloatPoint a = Step(points[j - 1], points[j]), b = Step(points[j], points[j + 1]);
          sum += a.x * b.y - a.y * b.x;
        }
        const float m = sum / static_cast<float>(k - 1);
        const float cosM = PortableCos(m), sinM = PortableSin(m);
        p = Unit(heading.x * cosM - heading.y * sinM, heading.x * sinM + heading.y * cosM);
      }
      std::vector<int32_t> candidates;
      for (const int32_t e : g.incidentEdges[static_cast<size_t>(current)]) {
        if (g.edges[static_cast<size_t>(e)].used == 0) candidates.push_back(e);
      }
      int32_t best = -1;
      float bestScore = -1e9f;
      for (const int32_t e : candidates) {
        const EdgeRec& edge = g.edges[static_cast<size_t>(e)];
        const size_t last = edge.pixels.size() - 1;
        const FloatPoint u = edge.nodeA == current ? Step(edge.pixels[0], edge.pixels[1])
                                                   : Step(edge.pixels[last], edge.pixels[last - 1]);
        float direction = 0;
        if (heading.x != 0 || heading.y != 0) {
          const float straight = u.x * heading.x + u.y * heading.y;
          direction = curve ? (1 - std::fabs(bias)) * straight + bias * (u.x * p.x + u.y * p.y) : straight;
        }
        float score = direction;
        if (candidates.size() > 1) {
          const BranchInfo b = Measure(g, edge.nodeA == current ? edge.nodeB : edge.nodeA, e);
          score = (b.hasLeaf != 0 ? -1e7f : 0.0f) - (b.length + edge.length) + 0.001f * direction;
        }
        if (score > bestScore) bestScore = score, best = e;
      }
      if (best >= 0) {
        EdgeRec& edge = g.edges[static_cast<size_t>(best)];
        edge.used = 1;
        --remaining;
        const int32_t from = current;
        current = edge.nodeA == from ? edge.nodeB : edge.nodeA;
        walkFrom(edge, from);
        stack.emplace_back(current, best);
        lastForward = points.size() - 1;
        heading = Step(points[points.size() - 2], points.back());
        continue;
      }
      if (remaining <= 0 || stack.size() <= 1) break;
      bool resumed = false;
      while (stack.size() > 1 && !resumed) {
        const auto [n, a] = stack.back();
        stack.pop_back();
        current = stack.back().first;
        walkFrom(g.edges[static_cast<size_t>(a)], n);
        if (FreeEdge(g, current)) resumed = true, heading = Step(points[points.size() - 2], points.back());
      }
      if (!resumed) break;
    }
    if (lastForward > 0 && lastForward < points.size() - 1) points.resize(lastForward + 1);
    if (points.size() < 2) continue;
    ChainRecord chain = keep(std::move(points), 0);
    if (PolylineLength(chain.points) >= minLength || chain.points.size() > 4) result.push_back(chain);
  }

  std::vector<uint8_t> visited(mask.cells.size(), 0);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] == 0 || visited[i] != 0) continue;
    const size_t c = static_cast<size_t>(g.componentOfPixel[i]);
    if (done[c] != 0 || hasNode[c] != 0) continue;
    std::vector<IntPoint> trace = Trace(mask, {static_cast<int32_t>(i % w), static_cast<int32_t>(i / w)}, visited);
    if (trace.size() < 4) continue;
    std::rotate(trace.begin(), trace.begin() + static_cast<std::ptrdiff_t>(preferred(trace)), trace.end());
    ChainRecord chain = keep(std::move(trace), 1);
    if (PolylineLength(chain.points) >= minLength) result.push_back(chain);
  }
  return result;
}

}  // namespace plain

// Thinned strokes, blobs and text with every option, seeds and simple chains.
TEST(ExtractChainsGraph, MatchesThePlainExtractionOnGeneratedSkeletons) {
  std::mt19937 rng(7);
  auto below = [&](int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
  int32_t nonEmpty = 0;
  for (int32_t run = 0; run < 600; ++run) {
    ByteMask mask;
    if (run % 3 == 0) {
      mask = synthetic_text::MakeTextMask(60 + below(120), 40 + below(60), rng(), 10 + below(30));
    } else {
      mask = EmptyMask(8 + below(60), 8 + below(60));
      for (int32_t k = below(6); k >= 0; --k) {
        test_masks::Line(mask, below(mask.width), below(mask.height), below(mask.width), below(mask.height),
                         0.5f + static_cast<float>(below(30)) / 10.0f);
      }
      for (int32_t k = run % 3 == 2 ? 3 : 0; k > 0; --k) {
        test_masks::Disc(mask, below(mask.width), below(mask.height), 1.0f + below(6));
      }
    }
    ThinZhangSuen(mask);
    const float minLength = static_cast<float>(below(25));
    const float sx = static_cast<float>(below(mask.width + 20) - 10);
    const float sy = static_cast<float>(below(mask.height + 20) - 10);
    const uint8_t smart = below(2), directional = below(2);
    const float bias = static_cast<float>(below(201) - 100) / 100.0f;
    const std::vector<ChainRecord> simple =
        below(3) != 0 ? ExtractChainsSimple(mask, static_cast<float>(below(6)), minLength, smart, bias)
                      : std::vector<ChainRecord>{};
    std::vector<FloatPoint> seeds;
    for (int32_t k = below(4); k > 0; --k) {
      seeds.push_back(
          {static_cast<float>(below(mask.width + 10)) - 5.3f, static_cast<float>(below(mask.height + 10)) - 4.6f});
    }
    const auto fast = ExtractChainsGraph(mask, minLength, sx, sy, smart, bias, directional, seeds, simple);
    const auto reference = plain::Extract(mask, minLength, sx, sy, smart, bias, directional, seeds, simple);
    ASSERT_TRUE(SameChains(fast, reference)) << "run " << run;
    nonEmpty += fast.empty() ? 0 : 1;
  }
  EXPECT_GT(nonEmpty, 500);
}

}  // namespace
