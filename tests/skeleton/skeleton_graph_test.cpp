#include "skeleton/skeleton_graph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "skeleton/thinning.h"
#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

int32_t NodeAt(const SkeletonGraph& graph, int32_t x, int32_t y) { return NodeOfPixel(graph, y * graph.width + x); }

TEST(SkeletonGraph, PlusSignHasTwelveEdgesAndLosesItsArmsToPruning) {
  ByteMask mask = EmptyMask(25, 25);
  DrawRun(mask, {{2, 12}, {22, 12}});
  DrawRun(mask, {{12, 2}, {12, 22}});
  const SkeletonGraph graph = BuildSkeletonGraph(mask, 20.0f);
  ASSERT_EQ(graph.nodes.size(), 9u);  // four arm ends and the five pixels of the crossing
  ASSERT_EQ(graph.edges.size(), 12u);
  int32_t links = 0;  // between touching nodes, once per pair, from the smaller node index
  for (const EdgeRec& edge : graph.edges) {
    const bool link = edge.pixels.size() == 2;
    const bool diagonal = link && edge.pixels[0].x != edge.pixels[1].x && edge.pixels[0].y != edge.pixels[1].y;
    links += link;
    EXPECT_EQ(edge.pruned, !link);  // the arms, 9 long
    EXPECT_TRUE(!link || (edge.nodeA < edge.nodeB && edge.length == (diagonal ? std::sqrt(2.0f) : 1.0f)));
  }
  EXPECT_EQ(links, 8);
  EXPECT_EQ(graph.liveEdgeCount[0], 8);
  EXPECT_EQ(graph.incidentEdges[NodeAt(graph, 12, 12)].size(), 4u);
  EXPECT_EQ(graph.incidentEdges[NodeAt(graph, 12, 11)].size(), 3u);
}

// On thinned text: components are numbered in scan order; edges run over touching pixels from node to node; each
// degree-2 pixel outside node-less rings lies inside one edge; pruning, incidence lists and live counts agree.
TEST(SkeletonGraph, GeneratedSkeletonsGiveConsistentGraphs) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    ByteMask mask = synthetic_text::MakeTextMask(120 + 23 * static_cast<int32_t>(seed), 90, seed);
    ThinZhangSuen(mask);
    const float minLength = static_cast<float>(seed % 4) * 5.0f;
    const SkeletonGraph graph = BuildSkeletonGraph(mask, minLength);
    std::vector<int32_t> interiorUses(mask.cells.size(), 0), live(graph.componentCount, 0);
    std::vector<size_t> incident(graph.nodes.size(), 0);
    for (const EdgeRec& edge : graph.edges) {
      for (size_t i = 1; i < edge.pixels.size(); ++i) {
        const IntPoint a = edge.pixels[i - 1], b = edge.pixels[i];
        ASSERT_EQ(std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)), 1);
        if (i + 1 < edge.pixels.size()) ++interiorUses[b.y * mask.width + b.x];
      }
      EXPECT_EQ(NodeAt(graph, edge.pixels.front().x, edge.pixels.front().y), edge.nodeA);
      EXPECT_EQ(NodeAt(graph, edge.pixels.back().x, edge.pixels.back().y), edge.nodeB);
      const bool spur = (graph.nodeDegree[edge.nodeA] == 1 || graph.nodeDegree[edge.nodeB] == 1) &&
                        edge.length < minLength && edge.nodeA != edge.nodeB;
      EXPECT_EQ(edge.pruned, spur);
      if (spur) continue;
      ++live[graph.nodeComponent[edge.nodeA]];
      ++incident[edge.nodeA];
      incident[edge.nodeB] += edge.nodeB != edge.nodeA;
    }
    EXPECT_EQ(live, graph.liveEdgeCount);
    for (size_t n = 0; n < graph.nodes.size(); ++n) EXPECT_EQ(graph.incidentEdges[n].size(), incident[n]);
    std::vector<uint8_t> componentHasNode(graph.componentCount, 0);
    for (const int32_t c : graph.nodeComponent) componentHasNode[c] = 1;
    for (size_t p = 0, numbered = 0; p < mask.cells.size(); ++p) {
      if (mask.cells[p] && graph.componentOfPixel[p] == int32_t(numbered)) ++numbered;
      const int32_t c = graph.componentOfPixel[p];
      ASSERT_TRUE(c < int32_t(numbered) && (c >= 0) == (mask.cells[p] != 0));
      ASSERT_EQ(interiorUses[p], c >= 0 && NodeOfPixel(graph, int32_t(p)) < 0 && componentHasNode[c]) << seed << " " << p;
    }
  }
}

}  // namespace
