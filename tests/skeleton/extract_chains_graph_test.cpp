#include "skeleton/extract_chains_graph.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include <limits>

#include "skeleton/extract_chains_simple.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/shape_walk.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/simple_extraction_reference.h"
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

// The extraction written out plainly (fresh grids, full node scans, recursion), without seeds. It shares the graph
// and the writing direction with the real one.
namespace plain {

using namespace simple_extraction_reference;

FloatPoint Step(IntPoint from, IntPoint to) { return Unit({float(to.x - from.x), float(to.y - from.y)}); }

bool FreeEdge(const SkeletonGraph& g, int32_t n) {
  return std::any_of(g.incidentEdges[n].begin(), g.incidentEdges[n].end(), [&](int32_t e) { return !g.edges[e].used; });
}

BranchInfo Measure(const SkeletonGraph& g, int32_t start, int32_t excluded) {
  BranchInfo info{0.0f, g.incidentEdges[start].size() == 1};
  std::vector<uint8_t> seen(g.nodes.size(), 0);
  seen[start] = 1;
  std::vector<std::pair<int32_t, int32_t>> stack = {{start, excluded}};
  while (!stack.empty()) {
    const auto [n, arrival] = stack.back();
    stack.pop_back();
    for (const int32_t e : g.incidentEdges[n]) {
      const int32_t m = g.edges[e].nodeA == n ? g.edges[e].nodeB : g.edges[e].nodeA;
      if (e == arrival || g.edges[e].used || seen[m]) continue;
      seen[m] = 1;
      info.length += g.edges[e].length;
      info.hasLeaf |= g.incidentEdges[m].size() == 1;
      stack.emplace_back(m, e);
    }
  }
  return info;
}

// Always on to the first unvisited set neighbour, N first, clockwise.
std::vector<IntPoint> Trace(const ByteMask& mask, IntPoint p, std::vector<uint8_t>& visited) {
  std::vector<IntPoint> points;
  for (bool moved = true; moved;) {
    visited[p.y * mask.width + p.x] = 1;
    points.push_back(p);
    moved = false;
    for (int32_t k = 0; k < 8 && !moved; ++k) {
      const IntPoint q{p.x + kNeighbourDx[k], p.y + kNeighbourDy[k]};
      if (MaskGet(mask, q.x, q.y) && !visited[q.y * mask.width + q.x]) p = q, moved = true;
    }
  }
  return points;
}

// The free edge that best goes on from node: with a choice, the one to the least ink without a stroke end beyond.
int32_t BestEdge(const SkeletonGraph& g, int32_t node, const std::vector<IntPoint>& points, FloatPoint heading,
                 bool smart, float bias) {
  const bool curve = smart && std::fabs(bias) > 0.0001f, moving = heading.x != 0 || heading.y != 0;
  std::vector<FloatPoint> steps;  // the last five pixel steps or fewer
  for (size_t j = points.size() - std::min<size_t>(points.size() - 1, 5); j < points.size(); ++j) {
    steps.push_back(Step(points[j - 1], points[j]));
  }
  const FloatPoint predicted = curve && moving && points.size() >= 4 ? PredictTurn(steps, heading) : heading;
  std::vector<int32_t> free;
  std::copy_if(g.incidentEdges[node].begin(), g.incidentEdges[node].end(), std::back_inserter(free),
               [&](int32_t e) { return !g.edges[e].used; });
  int32_t best = -1;
  float bestScore = -1e9f;
  for (const int32_t e : free) {
    const std::vector<IntPoint>& px = g.edges[e].pixels;
    const bool forward = g.edges[e].nodeA == node;
    const FloatPoint u = forward ? Step(px[0], px[1]) : Step(px.back(), px[px.size() - 2]);
    const float straight = Dot(u, heading);
    float s = !moving ? 0.0f : curve ? (1 - std::fabs(bias)) * straight + bias * Dot(u, predicted) : straight;
    if (free.size() > 1) {
      const BranchInfo b = Measure(g, forward ? g.edges[e].nodeB : g.edges[e].nodeA, e);
      s = (b.hasLeaf ? -1e7f : 0.0f) - (b.length + g.edges[e].length) + 0.001f * s;
    }
    if (s > bestScore) bestScore = s, best = e;
  }
  return best;
}

std::vector<ChainRecord> Extract(const ByteMask& mask, float minLength, FloatPoint start, bool smart, float bias,
                                 bool directional, const std::vector<ChainRecord>& simple) {
  std::vector<ChainRecord> result;
  const int32_t w = mask.width;
  SkeletonGraph g = BuildSkeletonGraph(mask, minLength);
  const FloatPoint dir = ComputeWritingDirection(mask, start.x, start.y);
  // Higher is preferred: nearer the start point, or with `along` further along the writing direction.
  auto score = [&](IntPoint q, bool along) {
    const float x = float(q.x), y = float(q.y);
    return along ? x * dir.x + y * dir.y : -((x - start.x) * (x - start.x) + (y - start.y) * (y - start.y));
  };
  auto preferred = [&](const std::vector<IntPoint>& p) {
    size_t k = 0;
    for (size_t i = 1; i < p.size(); ++i) k = score(p[i], directional) > score(p[k], directional) ? i : k;
    return static_cast<std::ptrdiff_t>(k);
  };
  auto pixel = [&](int32_t n) { return IntPoint{g.nodes[n] % w, g.nodes[n] / w}; };
  auto componentAt = [&](IntPoint p) {
    return p.x < 0 || p.y < 0 || p.x >= w || p.y >= mask.height ? -1 : g.componentOfPixel[p.y * w + p.x];
  };
  auto keep = [&](std::vector<IntPoint> points, bool closed, bool shortOk) {
    const ChainRecord chain = simple_extraction_reference::Rdp(Chain(std::move(points), closed));
    if (PolylineLength(chain.points) >= minLength || (shortOk && chain.points.size() > 4)) result.push_back(chain);
  };
  const size_t components = g.componentCount;
  std::vector<uint8_t> junction(components, 0), hasNode(components, 0), done(components, 0);
  for (size_t n = 0; n < g.nodes.size(); ++n) {
    hasNode[g.nodeComponent[n]] = 1;
    junction[g.nodeComponent[n]] |= g.incidentEdges[n].size() > 2;
  }

  std::vector<int32_t> chainsIn(components, 0), firstChain(components, -1);
  for (size_t k = 0; k < simple.size(); ++k) {
    const auto& p = simple[k].points;
    const int32_t c = p.size() < 2 ? -1 : componentAt(p.front());
    if (c >= 0 && componentAt(p[p.size() / 2]) == c && componentAt(p.back()) == c && chainsIn[c]++ == 0) {
      firstChain[c] = int32_t(k);
    }
  }
  for (size_t c = 0; c < components; ++c) {
    if (chainsIn[c] != 1 || g.liveEdgeCount[c] == 0) continue;
    ChainRecord chain = simple[firstChain[c]];
    std::vector<IntPoint>& p = chain.points;
    if (!chain.closed && score(p.back(), directional) > score(p.front(), directional)) {
      std::reverse(p.begin(), p.end());
    } else if (chain.closed) {
      if (PointsEqual(p.front(), p.back())) p.pop_back();
      std::rotate(p.begin(), p.begin() + preferred(p), p.end());
      if (p.size() >= 2) p.push_back(p.front());
    }
    result.push_back(chain);
    done[c] = 1;
  }

  for (int32_t i = 0; i < int32_t(g.nodes.size()); ++i) {
    const int32_t c = g.nodeComponent[i];
    if (done[c] || g.liveEdgeCount[c] == 0 || !FreeEdge(g, i)) continue;
    done[c] = 1;
    if (!junction[c]) {
      int32_t from = -1;
      for (int32_t n = 0; n < int32_t(g.nodes.size()); ++n) {
        if (g.nodeComponent[n] != c) continue;
        if (from < 0 || score(pixel(n), false) > score(pixel(from), false)) from = n;
      }
      std::vector<uint8_t> visited(mask.cells.size(), 0);
      std::vector<IntPoint> trace = Trace(mask, pixel(from), visited);
      if (trace.size() >= 4) keep(std::move(trace), 1, false);
      continue;
    }

    int32_t first = -1;  // a stroke end with a free edge, else any node with one
    for (int32_t pass = 0; pass < 2 && first < 0; ++pass) {
      for (int32_t n = 0; n < int32_t(g.nodes.size()); ++n) {
        if (g.nodeComponent[n] != c || !FreeEdge(g, n) || (pass == 0 && g.nodeDegree[n] != 1)) continue;
        if (first < 0 || score(pixel(n), directional) > score(pixel(first), directional)) first = n;
      }
    }
    // Depth first along the best free edges, back over drawn ink when stuck, but not after the last new edge.
    std::vector<IntPoint> points = {pixel(first)};
    FloatPoint heading{0, 0};
    size_t lastForward = 0;
    auto walkAlong = [&](const EdgeRec& e, int32_t from) {
      if (e.nodeA == from) points.insert(points.end(), e.pixels.begin() + 1, e.pixels.end());
      else points.insert(points.end(), e.pixels.rbegin() + 1, e.pixels.rend());
      heading = Step(points[points.size() - 2], points.back());
    };
    auto walkFrom = [&](auto& self, int32_t node) -> void {
      for (int32_t e; (e = BestEdge(g, node, points, heading, smart, bias)) >= 0;) {
        const int32_t far = g.edges[e].nodeA == node ? g.edges[e].nodeB : g.edges[e].nodeA;
        g.edges[e].used = 1;
        walkAlong(g.edges[e], node);
        lastForward = points.size() - 1;
        self(self, far);
        walkAlong(g.edges[e], far);
      }
    };
    walkFrom(walkFrom, first);
    points.resize(lastForward + 1);
    if (points.size() >= 2) keep(std::move(points), 0, true);
  }

  std::vector<uint8_t> visited(mask.cells.size(), 0);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    const int32_t c = mask.cells[i] ? g.componentOfPixel[i] : -1;
    if (c < 0 || visited[i] || done[c] || hasNode[c]) continue;
    std::vector<IntPoint> trace = Trace(mask, {int32_t(i % w), int32_t(i / w)}, visited);
    std::rotate(trace.begin(), trace.begin() + preferred(trace), trace.end());
    if (trace.size() >= 4) keep(std::move(trace), 1, false);
  }
  return result;
}

}  // namespace plain

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
  BranchScratch scratch;
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
    ASSERT_TRUE(SameChains(fast, plain::Extract(mask, minLength, start, smart, bias, directional, simple))) << run;
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
