#include "skeleton/skeleton_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "bench/synthetic_text.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::EmptyMask;

void SetPixel(ByteMask& mask, int32_t x, int32_t y) { mask.cells[static_cast<size_t>(y) * mask.width + x] = 1; }

ByteMask HorizontalStroke(int32_t width, int32_t height, int32_t y, int32_t x0, int32_t x1) {
  ByteMask mask = EmptyMask(width, height);
  for (int32_t x = x0; x <= x1; ++x) SetPixel(mask, x, y);
  return mask;
}

// One-pixel plus sign centred on (12, 12) with arms reaching 10 pixels out.
ByteMask PlusSign() {
  ByteMask mask = EmptyMask(25, 25);
  for (int32_t k = -10; k <= 10; ++k) {
    SetPixel(mask, 12 + k, 12);
    SetPixel(mask, 12, 12 + k);
  }
  return mask;
}

// A ring of degree-2 pixels: a diamond of diagonal steps.
ByteMask Diamond(int32_t size, int32_t cx, int32_t cy, int32_t r) {
  ByteMask mask = EmptyMask(size, size);
  for (int32_t k = 0; k < r; ++k) {
    SetPixel(mask, cx + k, cy - r + k);
    SetPixel(mask, cx + r - k, cy + k);
    SetPixel(mask, cx - k, cy + r - k);
    SetPixel(mask, cx - r + k, cy - k);
  }
  return mask;
}

int32_t NodeAt(const SkeletonGraph& graph, int32_t x, int32_t y) {
  return graph.nodeOfPixel[static_cast<size_t>(y) * graph.width + x];
}

TEST(SkeletonGraph, StraightStrokeIsOneEdgePrunedOnlyBelowMinLength) {
  const ByteMask mask = HorizontalStroke(20, 5, 2, 3, 12);
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 20.0f);
  EXPECT_EQ(graph.componentCount, 1);
  ASSERT_EQ(graph.nodes.size(), 2u);
  EXPECT_EQ(graph.nodeDegree[0], 1);
  ASSERT_EQ(graph.edges.size(), 1u);
  const EdgeRec& edge = graph.edges[0];
  EXPECT_EQ(edge.pixels.size(), 10u);
  EXPECT_EQ(edge.length, 9.0f);
  EXPECT_EQ(edge.nodeA, 0);
  EXPECT_EQ(edge.nodeB, 1);
  EXPECT_TRUE(PointsEqual(edge.pixels.front(), IntPoint{3, 2}));
  EXPECT_EQ(edge.pruned, 1);
  EXPECT_EQ(graph.liveEdgeCount[0], 0);
  EXPECT_TRUE(graph.incidentEdges[0].empty());

  // Exactly minLength is kept; minLength 0 prunes nothing.
  for (float minLength : {9.0f, 0.0f}) {
    const SkeletonGraph kept = BuildSkeletonGraph(mask, minLength);
    EXPECT_EQ(kept.edges[0].pruned, 0) << minLength;
    EXPECT_EQ(kept.liveEdgeCount[0], 1);
    EXPECT_EQ(kept.incidentEdges[0], std::vector<int32_t>{0});
    EXPECT_EQ(kept.incidentEdges[1], std::vector<int32_t>{0});
  }
}

TEST(SkeletonGraph, PlusSignHasTwelveEdgesAndLosesItsArmsToPruning) {
  const ByteMask mask = PlusSign();
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 20.0f);
  ASSERT_EQ(graph.nodes.size(), 9u);
  for (const auto& [x, y] : {std::pair{12, 12}, {12, 11}, {11, 12}, {13, 12}, {12, 13}}) {
    ASSERT_GE(NodeAt(graph, x, y), 0);
    EXPECT_EQ(graph.nodeDegree[static_cast<size_t>(NodeAt(graph, x, y))], 4);
  }
  ASSERT_EQ(graph.edges.size(), 12u);
  int32_t links = 0, arms = 0;
  std::set<std::pair<int32_t, int32_t>> linkedPairs;
  for (const EdgeRec& edge : graph.edges) {
    if (edge.pixels.size() == 2) {
      ++links;
      EXPECT_EQ(edge.pruned, 0);
      EXPECT_LT(edge.nodeA, edge.nodeB);  // linked from the smaller node index
      EXPECT_TRUE(linkedPairs.insert({edge.nodeA, edge.nodeB}).second);
      const bool diagonal = edge.pixels[0].x != edge.pixels[1].x && edge.pixels[0].y != edge.pixels[1].y;
      EXPECT_EQ(edge.length, diagonal ? std::sqrt(2.0f) : 1.0f);
    } else {
      ++arms;
      EXPECT_EQ(edge.pixels.size(), 10u);
      EXPECT_EQ(edge.pruned, 1);
    }
  }
  EXPECT_EQ(links, 8);
  EXPECT_EQ(arms, 4);
  EXPECT_EQ(graph.liveEdgeCount[0], 8);
  // The centre touches its four neighbours; each of those touches the centre and two others.
  EXPECT_EQ(graph.incidentEdges[static_cast<size_t>(NodeAt(graph, 12, 12))].size(), 4u);
  EXPECT_EQ(graph.incidentEdges[static_cast<size_t>(NodeAt(graph, 12, 11))].size(), 3u);
  EXPECT_TRUE(graph.incidentEdges[static_cast<size_t>(NodeAt(graph, 12, 2))].empty());
}

TEST(SkeletonGraph, RingsIsolatedPixelsAndComponentOrder) {
  ByteMask mask = Diamond(40, 20, 20, 8);
  SetPixel(mask, 2, 30);   // isolated pixel, a later component
  SetPixel(mask, 30, 1);   // isolated pixel, the first component in row-major order
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 5.0f);
  EXPECT_EQ(graph.componentCount, 3);
  EXPECT_EQ(graph.componentOfPixel[1 * 40 + 30], 0);
  EXPECT_EQ(graph.componentOfPixel[12 * 40 + 20], 1);  // top of the diamond
  EXPECT_EQ(graph.componentOfPixel[30 * 40 + 2], 2);
  EXPECT_EQ(graph.componentOfPixel[0], -1);
  ASSERT_EQ(graph.nodes.size(), 2u);  // the ring has no node
  EXPECT_EQ(graph.nodeDegree[0], 0);
  EXPECT_EQ(graph.nodeDegree[1], 0);
  EXPECT_TRUE(graph.edges.empty());
  EXPECT_EQ(graph.liveEdgeCount, (std::vector<int32_t>{0, 0, 0}));
}

TEST(SkeletonGraph, SmallLoopAtANodeIsOneLoopEdge) {
  // A stem whose top pixel carries a small loop of degree-2 pixels.
  const ByteMask mask = test_masks::MaskFromRows({
      ".......",
      "..###..",
      ".#...#.",
      "..#.#..",
      "...#...",
      "...#...",
      "...#...",
      ".......",
  });
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 0.0f);
  const int32_t fork = NodeAt(graph, 3, 4);
  ASSERT_GE(fork, 0);
  int32_t loops = 0;
  for (const EdgeRec& edge : graph.edges) {
    if (edge.nodeA != edge.nodeB) continue;
    ++loops;
    EXPECT_EQ(edge.nodeA, fork);
    EXPECT_TRUE(PointsEqual(edge.pixels.front(), edge.pixels.back()));
  }
  EXPECT_EQ(loops, 1);
  // A loop edge is listed once at its node.
  std::set<int32_t> listed(graph.incidentEdges[static_cast<size_t>(fork)].begin(),
                           graph.incidentEdges[static_cast<size_t>(fork)].end());
  EXPECT_EQ(listed.size(), graph.incidentEdges[static_cast<size_t>(fork)].size());
}

TEST(SkeletonGraph, MeasureBranchSumsTheReachableTreeAndFindsStrokeEnds) {
  // A Y: a stem from (12, 15) up to the fork at (12, 8) and two diagonal arms.
  ByteMask mask = EmptyMask(25, 20);
  for (int32_t y = 8; y <= 15; ++y) SetPixel(mask, 12, y);
  for (int32_t k = 1; k <= 7; ++k) {
    SetPixel(mask, 12 - k, 8 - k);
    SetPixel(mask, 12 + k, 8 - k);
  }
  SkeletonGraph graph = BuildSkeletonGraph(mask, 0.0f);
  ASSERT_EQ(graph.edges.size(), 3u);
  const int32_t leftEnd = NodeAt(graph, 5, 1);
  ASSERT_GE(leftEnd, 0);
  const int32_t leftEdge = graph.incidentEdges[static_cast<size_t>(leftEnd)][0];

  BranchInfo dead = MeasureBranch(graph, leftEnd, leftEdge);
  EXPECT_EQ(dead.length, 0.0f);
  EXPECT_EQ(dead.hasLeaf, 1);

  float total = 0.0f;
  for (const EdgeRec& edge : graph.edges) total += edge.length;
  BranchInfo all = MeasureBranch(graph, leftEnd, -1);
  EXPECT_FLOAT_EQ(all.length, total);
  EXPECT_EQ(all.hasLeaf, 1);

  // Used edges are not crossed.
  for (EdgeRec& edge : graph.edges) {
    if (edge.nodeA != leftEnd && edge.nodeB != leftEnd) edge.used = 1;
  }
  BranchInfo blocked = MeasureBranch(graph, leftEnd, -1);
  EXPECT_FLOAT_EQ(blocked.length, graph.edges[static_cast<size_t>(leftEdge)].length);
  EXPECT_EQ(blocked.hasLeaf, 1);  // the start itself is a stroke end

  // The scratch form gives the same answers when reused.
  BranchScratch scratch;
  for (int32_t repeat = 0; repeat < 3; ++repeat) {
    const BranchInfo again = MeasureBranch(graph, leftEnd, -1, scratch);
    EXPECT_EQ(again.length, blocked.length);
    EXPECT_EQ(again.hasLeaf, blocked.hasLeaf);
  }
}

TEST(SkeletonGraph, MeasureBranchCountsEachNodeOnceAroundCycles) {
  // A T: its junction is a cluster of four touching nodes joined by five
  // links, of which a spanning tree keeps three.
  ByteMask mask = HorizontalStroke(25, 20, 2, 2, 22);
  for (int32_t y = 3; y <= 15; ++y) SetPixel(mask, 12, y);
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 0.0f);
  float total = 0.0f;
  int32_t links = 0;
  for (const EdgeRec& edge : graph.edges) {
    total += edge.length;
    links += edge.pixels.size() == 2 ? 1 : 0;
  }
  ASSERT_EQ(links, 5);
  const BranchInfo info = MeasureBranch(graph, NodeAt(graph, 2, 2), -1);
  const float dropped = total - info.length;
  const float root2 = std::sqrt(2.0f);
  EXPECT_TRUE(std::fabs(dropped - 2.0f) < 1e-4f || std::fabs(dropped - 1.0f - root2) < 1e-4f ||
              std::fabs(dropped - 2.0f * root2) < 1e-4f)
      << dropped;
}

// On thinned text: every degree-2 pixel lies inside exactly one edge or in a
// node-less ring, edges run between touching pixels from node to node, and
// the incidence lists and live counts agree with the edges.
TEST(SkeletonGraph, GeneratedSkeletonsGiveConsistentGraphs) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    ByteMask mask = synthetic_text::MakeTextMask(120 + 23 * static_cast<int32_t>(seed), 90, seed);
    ThinZhangSuen(mask);
    const float minLength = static_cast<float>(seed % 4) * 5.0f;
    const SkeletonGraph graph = BuildSkeletonGraph(mask, minLength);
    const size_t total = mask.cells.size();

    std::vector<int32_t> interiorUses(total, 0);
    std::vector<int32_t> live(static_cast<size_t>(graph.componentCount), 0);
    std::vector<size_t> incidentCount(graph.nodes.size(), 0);
    for (size_t e = 0; e < graph.edges.size(); ++e) {
      const EdgeRec& edge = graph.edges[e];
      ASSERT_GE(edge.pixels.size(), 2u);
      for (size_t i = 1; i < edge.pixels.size(); ++i) {
        ASSERT_LE(std::abs(edge.pixels[i].x - edge.pixels[i - 1].x), 1);
        ASSERT_LE(std::abs(edge.pixels[i].y - edge.pixels[i - 1].y), 1);
      }
      for (size_t i = 1; i + 1 < edge.pixels.size(); ++i) {
        ++interiorUses[static_cast<size_t>(edge.pixels[i].y) * mask.width + edge.pixels[i].x];
      }
      EXPECT_EQ(NodeAt(graph, edge.pixels.front().x, edge.pixels.front().y), edge.nodeA);
      EXPECT_EQ(NodeAt(graph, edge.pixels.back().x, edge.pixels.back().y), edge.nodeB);
      const bool spur = (graph.nodeDegree[static_cast<size_t>(edge.nodeA)] == 1 ||
                         graph.nodeDegree[static_cast<size_t>(edge.nodeB)] == 1) &&
                        edge.length < minLength && edge.nodeA != edge.nodeB;
      EXPECT_EQ(edge.pruned, spur ? 1 : 0);
      if (edge.pruned == 0) {
        ++live[static_cast<size_t>(graph.nodeComponent[static_cast<size_t>(edge.nodeA)])];
        ++incidentCount[static_cast<size_t>(edge.nodeA)];
        if (edge.nodeB != edge.nodeA) ++incidentCount[static_cast<size_t>(edge.nodeB)];
      }
    }
    EXPECT_EQ(live, graph.liveEdgeCount);
    for (size_t n = 0; n < graph.nodes.size(); ++n) EXPECT_EQ(graph.incidentEdges[n].size(), incidentCount[n]);

    std::vector<uint8_t> componentHasNode(static_cast<size_t>(graph.componentCount), 0);
    for (const int32_t c : graph.nodeComponent) componentHasNode[static_cast<size_t>(c)] = 1;
    for (size_t p = 0; p < total; ++p) {
      if (mask.cells[p] == 0) continue;
      const int32_t x = static_cast<int32_t>(p % mask.width), y = static_cast<int32_t>(p / mask.width);
      if (graph.nodeOfPixel[p] >= 0) {
        EXPECT_EQ(interiorUses[p], 0);
      } else if (componentHasNode[static_cast<size_t>(graph.componentOfPixel[p])] != 0) {
        EXPECT_EQ(interiorUses[p], 1) << "seed " << seed << " pixel " << x << "," << y;
      }
    }
  }
}

}  // namespace
