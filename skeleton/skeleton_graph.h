// The skeleton as a graph: 8-connected components, nodes (pixels whose
// degree is not 2), edges (runs of degree-2 pixels between nodes, and direct
// links between touching nodes), short spurs pruned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/index_at.h"
#include "skeleton/points.h"

// One edge of the graph: a run of degree-2 pixels between two nodes, or the
// direct link between two touching nodes.
struct EdgeRec {
  std::vector<IntPoint> pixels;  // from the pixel of nodeA to the pixel of nodeB, both included
  int32_t nodeA = -1;            // node the edge was started from
  int32_t nodeB = -1;            // node it ends at; nodeA for a loop or a run that met no node
  float length = 0.0f;  // sum of the distances between consecutive pixels
  bool used = false;    // drawn by the walk
  bool pruned = false;  // a short spur: in no incidence list, never walked
};

struct SkeletonGraph {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<int32_t> componentOfPixel;  // per pixel, -1 on background
  int32_t componentCount = 0;
  std::vector<int32_t> nodes;        // pixel index of each node, row-major order (see NodeOfPixel)
  std::vector<int32_t> nodeComponent;
  std::vector<int32_t> nodeDegree;  // pixel degree of the node
  std::vector<EdgeRec> edges;       // creation order, pruned ones included
  std::vector<std::vector<int32_t>> incidentEdges;  // per node, unpruned edges in index order
  std::vector<int32_t> liveEdgeCount;               // per component, counted at nodeA
};

struct BranchInfo {
  float length = 0.0f;
  bool hasLeaf = false;
};

// minLength: edges that end at a stroke end and are shorter are pruned.
// The mask's cells must hold width x height entries.
SkeletonGraph BuildSkeletonGraph(const ByteMask& mask, float minLength);

// The node at a pixel index, -1 when that pixel is no node.
int32_t NodeOfPixel(const SkeletonGraph& graph, int32_t pixelIndex);

inline IntPoint NodePixel(const SkeletonGraph& graph, int32_t node) {
  const int32_t index = At(graph.nodes, node);
  return IntPoint{index % graph.width, index / graph.width};
}

inline bool EdgeIsFree(const EdgeRec& edge) { return !edge.used && !edge.pruned; }

bool NodeHasFreeEdge(const SkeletonGraph& graph, int32_t node);

// Reusable working storage for repeated branch measurements.
struct BranchScratch {
  std::vector<uint32_t> visitMark;  // per node: equal to mark when visited in this measurement
  uint32_t mark = 0;
  std::vector<std::pair<int32_t, int32_t>> stack;  // (node, arrival edge)
};

// Total length of the part of the graph reachable from startNode without
// excludedEdge or any used or pruned edge (a depth-first spanning tree), and
// whether a stroke end lies in it.
BranchInfo MeasureBranch(const SkeletonGraph& graph, int32_t startNode, int32_t excludedEdge);
BranchInfo MeasureBranch(const SkeletonGraph& graph, int32_t startNode, int32_t excludedEdge,
                         BranchScratch& scratch);
