#include "skeleton/free_edge_copy.h"

#include <algorithm>

#include "skeleton/index_at.h"

namespace {

int32_t OtherEnd(const EdgeRec& edge, int32_t node) { return edge.nodeA == node ? edge.nodeB : edge.nodeA; }

uint32_t FreeEdgesOf(const SkeletonGraph& graph, int32_t node) {
  uint32_t count = 0;
  for (const int32_t e : At(graph.incidentEdges, node)) count += EdgeIsFree(At(graph.edges, e)) ? 1u : 0u;
  return count;
}

void RemoveFromNode(FreeEdgeCopy& copy, int32_t node, int32_t edgeIndex) {
  const int32_t index = At(copy.indexOfNode, node);
  if (index < 0) return;
  const size_t record = RecordOf(copy, static_cast<uint32_t>(index));
  CopyEdge& head = copy.slots[record];
  const size_t end = record + 1 + (head.node & kFreeCountMask);
  for (size_t slot = record + 1; slot < end; ++slot) {
    if (copy.slotEdge[slot] != edgeIndex) continue;
    std::copy(copy.slots.begin() + static_cast<std::ptrdiff_t>(slot + 1),
              copy.slots.begin() + static_cast<std::ptrdiff_t>(end), copy.slots.begin() + static_cast<std::ptrdiff_t>(slot));
    std::copy(copy.slotEdge.begin() + static_cast<std::ptrdiff_t>(slot + 1),
              copy.slotEdge.begin() + static_cast<std::ptrdiff_t>(end), copy.slotEdge.begin() + static_cast<std::ptrdiff_t>(slot));
    copy.slots[end - 1] = CopyEdge{PlaceholderNode(copy), 0.0f};
    copy.slotEdge[end - 1] = -1;
    --head.node;
    return;
  }
}

}  // namespace

void CopyReachableFreeEdges(const SkeletonGraph& graph, int32_t startNode, FreeEdgeCopy& copy) {
  if (copy.indexOfNode.size() != graph.nodes.size()) copy.indexOfNode.assign(graph.nodes.size(), -1);
  copy.nodes.clear();
  // In the order a look-ahead from the start finds them, so that the
  // searches' reads run along the copy.
  uint32_t widest = 0;
  At(copy.indexOfNode, startNode) = 0;
  copy.nodes.push_back(startNode);
  std::vector<int32_t> stack{startNode};
  while (!stack.empty()) {
    const int32_t node = stack.back();
    stack.pop_back();
    widest = std::max(widest, FreeEdgesOf(graph, node));
    for (const int32_t e : At(graph.incidentEdges, node)) {
      const EdgeRec& edge = At(graph.edges, e);
      const int32_t other = OtherEnd(edge, node);
      if (!EdgeIsFree(edge) || At(copy.indexOfNode, other) >= 0) continue;
      At(copy.indexOfNode, other) = static_cast<int32_t>(copy.nodes.size());
      copy.nodes.push_back(other);
      stack.push_back(other);
    }
  }
  copy.recordShift = 3;
  while ((1u << copy.recordShift) < widest + 1) ++copy.recordShift;
  copy.slots.assign(copy.nodes.size() << copy.recordShift, CopyEdge{PlaceholderNode(copy), 0.0f});
  copy.slotEdge.assign(copy.slots.size(), -1);
  for (size_t i = 0; i < copy.nodes.size(); ++i) {
    const int32_t node = copy.nodes[i];
    const size_t record = RecordOf(copy, static_cast<uint32_t>(i));
    size_t slot = record + 1;
    for (const int32_t e : At(graph.incidentEdges, node)) {
      const EdgeRec& edge = At(graph.edges, e);
      if (!EdgeIsFree(edge)) continue;
      copy.slots[slot] = CopyEdge{static_cast<uint32_t>(At(copy.indexOfNode, OtherEnd(edge, node))), edge.length};
      copy.slotEdge[slot] = e;
      ++slot;
    }
    const bool strokeEnd = At(graph.incidentEdges, node).size() == 1;
    copy.slots[record].node = static_cast<uint32_t>(slot - record - 1) | (strokeEnd ? kStrokeEndFlag : 0u);
  }
}

void RemoveCopiedEdge(FreeEdgeCopy& copy, const EdgeRec& edge, int32_t edgeIndex) {
  RemoveFromNode(copy, edge.nodeA, edgeIndex);
  if (edge.nodeB != edge.nodeA) RemoveFromNode(copy, edge.nodeB, edgeIndex);  // a loop is listed once
}

void ClearFreeEdgeCopy(FreeEdgeCopy& copy) {
  for (const int32_t node : copy.nodes) At(copy.indexOfNode, node) = -1;
  copy.nodes.clear();
}
