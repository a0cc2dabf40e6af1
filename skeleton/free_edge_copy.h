// The free edges of the part of a skeleton graph that a walk can reach,
// packed for the walk's look-ahead: every node gets a record of the same
// size (one cache line unless some node has eight free edges) that holds its
// free edges (the other node and the edge length) in the order of its
// incidence list, so that a search reads a node from one line instead of
// chasing the incidence list and the edge records. Used edges are taken out
// without reordering the rest, since that order decides the order in which a
// search sums lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/skeleton_graph.h"

// A free edge: the other node's index in the copy and the edge's length. The
// first slot of a record instead holds the node's free edge count in
// `node`, with kStrokeEndFlag added when the node is a stroke end. Slots
// past the count lead to the placeholder node (index nodes.size()), which a
// search marks found before it starts, so that it can read a fixed number of
// slots without testing the count.
struct CopyEdge {
  uint32_t node = 0;
  float length = 0.0f;
};

constexpr uint32_t kStrokeEndFlag = 1u << 8;
constexpr uint32_t kFreeCountMask = 0xFFu;

struct FreeEdgeCopy {
  uint32_t recordShift = 3;        // a record is 1 << recordShift slots: the count, then the free edges
  std::vector<CopyEdge> slots;     // node i's record starts at slot i << recordShift
  std::vector<int32_t> slotEdge;   // per slot: the graph edge of a free edge slot
  std::vector<int32_t> nodes;      // the graph node of each copy index, in the order a look-ahead from the start finds them
  std::vector<int32_t> indexOfNode;  // per graph node: its copy index, -1 outside the copy
};

inline uint32_t PlaceholderNode(const FreeEdgeCopy& copy) { return static_cast<uint32_t>(copy.nodes.size()); }
inline size_t RecordOf(const FreeEdgeCopy& copy, uint32_t index) { return static_cast<size_t>(index) << copy.recordShift; }
inline uint32_t FreeEdgeCount(const FreeEdgeCopy& copy, uint32_t index) {
  return copy.slots[RecordOf(copy, index)].node & kFreeCountMask;
}

// Fills the copy with every node reachable from startNode over free edges
// (startNode gets index 0). A node is a stroke end when its incidence list
// (used edges included) has one entry.
void CopyReachableFreeEdges(const SkeletonGraph& graph, int32_t startNode, FreeEdgeCopy& copy);

// Takes the edge out of its end nodes' records, keeping the order of the rest.
void RemoveCopiedEdge(FreeEdgeCopy& copy, const EdgeRec& edge, int32_t edgeIndex);

// Leaves indexOfNode all -1 again, for the next component.
void ClearFreeEdgeCopy(FreeEdgeCopy& copy);
