#include "skeleton/extract_chains_graph.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include <limits>

#include "skeleton/extract_chains_simple.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/shape_walk.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/shape_walk_reference.h"
#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

std::vector<ChainRecord> Extract(const ByteMask& mask, float minLength, FloatPoint start,
                                 const std::vector<ChainRecord>& simple = {}, bool directional = false) {
  return ExtractChainsGraph(mask, GraphExtraction{minLength, start, directional, {}}, {}, simple);
}

TEST(ExtractChainsGraph, StraightStrokeInEachPhase) {
  ByteMask malformed = EmptyMask(10, 10);
  malformed.cells.resize(50, 1);  // fewer cells than the size promises: nothing, as from an empty mask
  EXPECT_TRUE(Extract(malformed, 0, {}).empty() && Extract(EmptyMask(0, 7), 0, {}).empty());
  ByteMask mask = EmptyMask(60, 20);
  DrawRun(mask, {{10, 10}, {40, 10}});
  const ChainRecord simple = Chain({{10, 10}, {40, 10}});
  // Its one simple chain is reused, turned toward the start point (or along the writing direction).
  const auto reused = Extract(mask, 20, {50, 10}, {simple});
  EXPECT_EQ(Pairs(reused.at(0)), (PairList{{40, 10}, {10, 10}}));
  EXPECT_EQ(reused[0].closed, 0);
  EXPECT_EQ(Pairs(Extract(mask, 20, {0, 10}, {simple}, 1).at(0)), (PairList{{10, 10}, {40, 10}}));
  // With two simple chains in its component, or none, it is traced and marked closed.
  const auto traced = Extract(mask, 20, {50, 10}, {Chain({{10, 10}, {25, 10}}), Chain({{26, 10}, {40, 10}})});
  EXPECT_EQ(Pairs(traced.at(0)), (PairList{{40, 10}, {10, 10}}));
  EXPECT_EQ(traced[0].closed, 1);
  // Its only edge is 30 long: pruned below that, so nothing at all.
  EXPECT_EQ(Extract(mask, 30, {50, 10}).at(0).closed, 1);
  EXPECT_TRUE(Extract(mask, 30.01f, {50, 10}, {simple}).empty());
}

TEST(ExtractChainsGraph, RingWithoutANodeStartsAtItsPreferredPixel) {
  ByteMask ring = EmptyMask(50, 50);
  DrawRun(ring, {{25, 15}, {35, 25}, {25, 35}, {15, 25}, {25, 15}});
  // Traced whatever simple chain covers it, from the pixel nearest the start (or furthest along), kept if long.
  const auto nearest = Extract(ring, 20, {40, 26}, {Chain({{25, 15}, {35, 25}, {25, 35}, {15, 25}}, true)});
  ASSERT_EQ(nearest.size(), 1u);
  EXPECT_EQ(Pairs(nearest[0]).front(), std::make_pair(35, 25));
  EXPECT_TRUE(nearest[0].closed && nearest[0].points.size() > 4);
  EXPECT_EQ(Pairs(Extract(ring, 20, {25, -40}, {}, 1).at(0)).front(), std::make_pair(25, 15));
  EXPECT_TRUE(Extract(ring, 60, {40, 26}).empty());
  // The centroid is (25, 25): closer than 0.001 the writing direction falls back to (-1, 0).
  EXPECT_EQ(ComputeWritingDirection(ring, 25.0f, 25.0005f).x, -1.0f);
  EXPECT_EQ(ComputeWritingDirection(ring, 25.0f, 25.002f).y, 1.0f);
}

TEST(ExtractChainsGraph, SeedsPickTheStartOnlyInTheirOwnComponent) {
  // Two Ys: stems up from (20, 32) and (60, 32) to forks 12 higher, arms 8 long.
  ByteMask mask = EmptyMask(80, 40);
  for (const int32_t x : {20, 60}) {
    DrawRun(mask, {{x - 8, 12}, {x, 20}, {x, 32}});
    DrawRun(mask, {{x + 1, 19}, {x + 8, 12}});
  }
  // Nothing lies within 4 of the first seed, the second is not finite, the third lands on the second Y's left arm
  // end and applies only there, over the directional start.
  const std::vector<FloatPoint> seeds = {{40, 5}, {std::numeric_limits<float>::quiet_NaN(), 1e30f}, {49.6f, 13.2f}};
  for (const auto& [list, second] : {std::pair{std::vector<FloatPoint>{}, std::pair{60, 32}}, {seeds, {52, 12}}}) {
    const auto chains = ExtractChainsGraph(mask, GraphExtraction{3, {40, 39}, true, {}}, list, {});
    ASSERT_EQ(chains.size(), 2u);
    EXPECT_EQ(Pairs(chains[0]).front(), std::make_pair(20, 32));
    EXPECT_EQ(Pairs(chains[1]).front(), second);
  }
  IntPoint pixel;  // the search reaches pixels 4 away on both axes
  ASSERT_TRUE(FindSeedPixel(mask, {16, 36}, pixel));
  EXPECT_EQ(std::tuple(pixel.x, pixel.y), std::tuple(20, 32));
}

TEST(ExtractChainsGraph, MillionsOfPixelsNeitherExhaustTheStackNorLoopForever) {
  // A serpentine of 1.4 million pixels with a comb of teeth on its first run, so that the walk has junctions.
  constexpr int32_t kSide = 2048, kLeft = 2, kRight = kSide - 3;
  ByteMask mask = EmptyMask(kSide, kSide);
  int32_t rows = 0;
  for (int32_t y = 200; y + 3 < kSide - 2; y += 3, ++rows) {
    DrawRun(mask, {{kLeft, y}, {kRight, y}});
    if (y + 6 < kSide - 2) DrawRun(mask, {{rows % 2 ? kLeft : kRight, y + 1}, {rows % 2 ? kLeft : kRight, y + 2}});
  }
  for (int32_t x = 100; x < kSide - 100; x += 150) DrawRun(mask, {{x, 100}, {x, 199}});
  const auto result = ExtractChainsGraph(mask, GraphExtraction{20, {0, 0}, false, {true, 0.3f}}, {}, {});
  ASSERT_EQ(result.size(), 1u);
  EXPECT_GT(PolylineLength(result[0].points), static_cast<float>(rows) * (kRight - kLeft) * 0.9f);
}

// At most one chain per component; each junction component's walk is 8-connected and draws every pixel of every
// live edge in the component (pruning cuts only spurs, so the start reaches them all).
void ExpectOneStrokePerShapeCoveringItsLiveEdges(const ByteMask& mask, const std::vector<ChainRecord>& chains,
                                                 float minLength, const ShapeWalkOptions& options) {
  SkeletonGraph graph = BuildSkeletonGraph(mask, minLength);
  std::vector<int32_t> chainsIn(graph.componentCount, 0);
  for (const ChainRecord& chain : chains) {
    ASSERT_EQ(++chainsIn.at(graph.componentOfPixel[chain.points.at(0).y * mask.width + chain.points[0].x]), 1);
  }
  std::vector<std::vector<int32_t>> nodesOf(graph.componentCount);
  for (size_t n = 0; n < graph.nodes.size(); ++n) nodesOf[graph.nodeComponent[n]].push_back(int32_t(n));
  ShapeWalkScratch scratch;
  auto junction = [&graph](int32_t n) { return graph.incidentEdges[n].size() > 2; };
  for (int32_t c = 0; c < graph.componentCount; ++c) {
    const std::vector<int32_t>& nodes = nodesOf[c];
    if (std::none_of(nodes.begin(), nodes.end(), junction)) continue;
    const std::vector<IntPoint> walk = WalkJunctionComponent(graph, mask, nodes, nodes[0], options, {}, scratch);
    std::vector<uint8_t> drawn(mask.cells.size(), 0);
    for (size_t i = 0; i < walk.size(); ++i) {
      drawn[walk[i].y * mask.width + walk[i].x] = 1;
      ASSERT_TRUE(i == 0 || std::max(std::abs(walk[i].x - walk[i - 1].x), std::abs(walk[i].y - walk[i - 1].y)) == 1);
    }
    for (const EdgeRec& edge : graph.edges) {
      if (edge.pruned || graph.nodeComponent[edge.nodeA] != c) continue;
      for (const IntPoint& p : edge.pixels) ASSERT_TRUE(drawn[p.y * mask.width + p.x]);
    }
  }
}

// Thinned text, strokes, blobs, rings and noise with every option, with and without simple chains.
TEST(ExtractChainsGraph, GeneratedSkeletonsMatchThePlainExtractionAndWalkEveryLiveEdge) {
  std::mt19937 rng(7);
  auto below = [&](int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
  const std::vector<ByteMask> generated = ManyMasks(80, 900, 90);
  int32_t nonEmpty = 0;
  for (int32_t run = 0; run < 600; ++run) {
    ByteMask mask = run % 3 ? generated[(run * 7) % generated.size()]
                            : synthetic_text::MakeTextMask(60 + below(120), 40 + below(60), rng(), 10 + below(30));
    ThinZhangSuen(mask);
    const float minLength = static_cast<float>(below(25)), bias = static_cast<float>(below(201) - 100) / 100.0f;
    const FloatPoint start{float(below(mask.width + 20) - 10), float(below(mask.height + 20) - 10)};
    const bool smart = below(2) != 0, directional = below(2) != 0;
    std::vector<ChainRecord> simple;
    if (below(3)) simple = ExtractChainsSimple(mask, {static_cast<float>(below(6)), minLength, {smart, bias}});
    const auto fast = ExtractChainsGraph(mask, {minLength, start, directional, {smart, bias}}, {}, simple);
    ASSERT_TRUE(SameChains(fast, shape_walk_reference::Extract(mask, minLength, start, smart, bias, directional, simple))) << run;
    // Smart with bias 0 is smart off.
    const auto smartZero = ExtractChainsGraph(mask, {minLength, start, directional, {true, 0.0f}}, {}, simple);
    ASSERT_TRUE(smart || SameChains(fast, smartZero)) << run;
    const ShapeWalkOptions options{start, ComputeWritingDirection(mask, start.x, start.y), directional, {smart, bias}};
    ExpectOneStrokePerShapeCoveringItsLiveEdges(mask, fast, minLength, options);
    ASSERT_FALSE(HasFatalFailure()) << run;
    nonEmpty += fast.empty() ? 0 : 1;
  }
  EXPECT_GT(nonEmpty, 400);
}

}  // namespace
