#include "skeleton/skeleton_graph.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_set>

#include "skeleton/follow_run.h"
#include "skeleton/index_at.h"
#include "skeleton/polyline_simplify.h"

namespace {

size_t PixelCount(const ByteMask& mask) {
  return static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height);
}

void LabelComponents(const ByteMask& mask, SkeletonGraph& graph) {
  const int32_t width = mask.width;
  const int32_t total = static_cast<int32_t>(PixelCount(mask));
  graph.componentOfPixel.assign(PixelCount(mask), -1);
  std::vector<int32_t> stack;
  for (int32_t seed = 0; seed < total; ++seed) {
    if (At(mask.cells, seed) == 0 || At(graph.componentOfPixel, seed) >= 0) continue;
    const int32_t id = graph.componentCount++;
    At(graph.componentOfPixel, seed) = id;
    stack.push_back(seed);
    while (!stack.empty()) {
      const int32_t pixel = stack.back();
      stack.pop_back();
      const int32_t x = pixel % width;
      const int32_t y = pixel / width;
      for (int32_t k = 0; k < 8; ++k) {
        const int32_t nx = x + kNeighbourDx[k];
        const int32_t ny = y + kNeighbourDy[k];
        if (MaskGet(mask, nx, ny) == 0) continue;
        const int32_t neighbour = ny * width + nx;
        if (At(graph.componentOfPixel, neighbour) >= 0) continue;
        At(graph.componentOfPixel, neighbour) = id;
        stack.push_back(neighbour);
      }
    }
  }
}

// Per pixel while the graph is built: one byte instead of a node number,
// since a pixel's node is found in the row-major node list when needed.
enum PixelKind : uint8_t {
  kOtherPixel = 0,
  kNodePixel = 1,
  kTakenByEdge = 2,  // a degree-2 pixel already in an edge
};

void FindNodes(const ByteMask& mask, SkeletonGraph& graph, std::vector<uint8_t>& kinds) {
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) {
      const int32_t pixel = y * mask.width + x;
      if (At(mask.cells, pixel) == 0) continue;
      const int32_t degree = NeighbourCount(mask, x, y);
      if (degree == 2) continue;
      At(kinds, pixel) = kNodePixel;
      graph.nodes.push_back(pixel);
      graph.nodeComponent.push_back(At(graph.componentOfPixel, pixel));
      graph.nodeDegree.push_back(degree);
    }
  }
}

bool IsNodePixel(const std::vector<uint8_t>& kinds, int32_t width, IntPoint p) {
  return At(kinds, p.y * width + p.x) == kNodePixel;
}

// The two-pixel edge between touching nodes, made once per pair: from the
// node with the smaller index.
void LinkTouchingNodes(SkeletonGraph& graph, std::unordered_set<uint64_t>& linkedPairs, uint64_t keyScale,
                       int32_t node, IntPoint origin, IntPoint neighbour) {
  const int32_t pixel = At(graph.nodes, node);
  const int32_t neighbourIndex = neighbour.y * graph.width + neighbour.x;
  const uint64_t low = static_cast<uint64_t>(std::min(pixel, neighbourIndex));
  const uint64_t high = static_cast<uint64_t>(std::max(pixel, neighbourIndex));
  if (!linkedPairs.insert(low * keyScale + high).second) return;
  EdgeRec link;
  link.pixels = {origin, neighbour};
  link.nodeA = node;
  link.nodeB = NodeOfPixel(graph, neighbourIndex);
  link.length = PolylineLength(link.pixels);
  graph.edges.push_back(std::move(link));
}

// The edge along the run of degree-2 pixels that leaves `node` through
// `first`, up to the next node; a run that meets no node ends the edge at
// `node` again. Marks the run's pixels taken.
void WalkRunEdge(const ByteMask& mask, SkeletonGraph& graph, std::vector<uint8_t>& kinds, int32_t node,
                 IntPoint origin, IntPoint first) {
  const int32_t width = mask.width;
  const int64_t pixelCount = static_cast<int64_t>(PixelCount(mask));
  auto markTaken = [&kinds, width](IntPoint p) { At(kinds, p.y * width + p.x) = kTakenByEdge; };
  EdgeRec run;
  run.pixels = {origin, first};
  markTaken(first);
  // A degree-2 pixel has one way on besides the way back, so the walk need
  // not ask which pixels are taken; the step limit only guards against
  // malformed input.
  int64_t steps = 0;
  FollowRun(mask, kRingOrder, origin, first, AnyPixel, [&](IntPoint, IntPoint next) {
    run.pixels.push_back(next);
    if (IsNodePixel(kinds, width, next)) return false;
    markTaken(next);
    return ++steps < pixelCount;
  });
  const IntPoint last = run.pixels.back();
  run.nodeA = node;
  run.nodeB = IsNodePixel(kinds, width, last) ? NodeOfPixel(graph, last.y * width + last.x) : node;
  run.length = PolylineLength(run.pixels);
  graph.edges.push_back(std::move(run));
}

void BuildEdges(const ByteMask& mask, SkeletonGraph& graph, std::vector<uint8_t>& kinds) {
  const uint64_t keyScale = static_cast<uint64_t>(PixelCount(mask));
  std::unordered_set<uint64_t> linkedPairs;
  for (int32_t node = 0; node < static_cast<int32_t>(graph.nodes.size()); ++node) {
    const IntPoint origin = NodePixel(graph, node);
    for (int32_t k = 0; k < 8; ++k) {
      const IntPoint neighbour{origin.x + kNeighbourDx[k], origin.y + kNeighbourDy[k]};
      if (MaskGet(mask, neighbour.x, neighbour.y) == 0) continue;
      const uint8_t kind = At(kinds, neighbour.y * mask.width + neighbour.x);
      if (kind == kNodePixel) {
        LinkTouchingNodes(graph, linkedPairs, keyScale, node, origin, neighbour);
      } else if (kind != kTakenByEdge) {  // a taken run was walked from an earlier node or direction
        WalkRunEdge(mask, graph, kinds, node, origin, neighbour);
      }
    }
  }
}

// One pass: node degrees are pixel degrees and do not change with pruning.
void PruneSpurs(SkeletonGraph& graph, float minLength) {
  for (EdgeRec& edge : graph.edges) {
    if (edge.pruned) continue;
    const bool touchesStrokeEnd = At(graph.nodeDegree, edge.nodeA) == 1 ||
                                  At(graph.nodeDegree, edge.nodeB) == 1;
    if (touchesStrokeEnd && edge.length < minLength && edge.nodeA != edge.nodeB) edge.pruned = true;
  }
}

void ListIncidentEdges(SkeletonGraph& graph) {
  graph.incidentEdges.assign(graph.nodes.size(), {});
  graph.liveEdgeCount.assign(static_cast<size_t>(graph.componentCount), 0);
  for (int32_t e = 0; e < static_cast<int32_t>(graph.edges.size()); ++e) {
    const EdgeRec& edge = At(graph.edges, e);
    if (edge.pruned) continue;
    At(graph.incidentEdges, edge.nodeA).push_back(e);
    if (edge.nodeB != edge.nodeA) At(graph.incidentEdges, edge.nodeB).push_back(e);
    ++At(graph.liveEdgeCount, At(graph.nodeComponent, edge.nodeA));
  }
}

}  // namespace

int32_t NodeOfPixel(const SkeletonGraph& graph, int32_t pixelIndex) {
  const auto found = std::lower_bound(graph.nodes.begin(), graph.nodes.end(), pixelIndex);
  if (found == graph.nodes.end() || *found != pixelIndex) return -1;
  return static_cast<int32_t>(found - graph.nodes.begin());
}

bool NodeHasFreeEdge(const SkeletonGraph& graph, int32_t node) {
  for (const int32_t e : At(graph.incidentEdges, node)) {
    if (EdgeIsFree(At(graph.edges, e))) return true;
  }
  return false;
}

SkeletonGraph BuildSkeletonGraph(const ByteMask& mask, float minLength) {
  SkeletonGraph graph;
  graph.width = mask.width;
  graph.height = mask.height;
  // Pixel indices are int32; a grid they cannot address, or cells that do not
  // match the size, give an empty graph.
  if (mask.width < 1 || mask.height < 1 || mask.cells.size() != PixelCount(mask) ||
      PixelCount(mask) > static_cast<size_t>(INT32_MAX)) {
    return graph;
  }
  LabelComponents(mask, graph);
  std::vector<uint8_t> kinds(PixelCount(mask), kOtherPixel);
  FindNodes(mask, graph, kinds);
  BuildEdges(mask, graph, kinds);
  PruneSpurs(graph, minLength);
  ListIncidentEdges(graph);
  return graph;
}

BranchInfo MeasureBranch(const SkeletonGraph& graph, int32_t startNode, int32_t excludedEdge) {
  BranchScratch scratch;
  return MeasureBranch(graph, startNode, excludedEdge, scratch);
}

BranchInfo MeasureBranch(const SkeletonGraph& graph, int32_t startNode, int32_t excludedEdge,
                         BranchScratch& scratch) {
  BranchInfo info;
  if (startNode < 0 || static_cast<size_t>(startNode) >= graph.nodes.size()) return info;
  if (scratch.visitMark.size() != graph.nodes.size()) {
    scratch.visitMark.assign(graph.nodes.size(), 0);
    scratch.mark = 0;
  }
  if (++scratch.mark == 0) {  // wrapped: old marks could alias the new one
    std::fill(scratch.visitMark.begin(), scratch.visitMark.end(), 0);
    scratch.mark = 1;
  }
  const uint32_t mark = scratch.mark;
  // The incidence lists hold only unpruned edges, so their sizes are the degrees here.
  auto liveDegree = [&graph](int32_t node) { return At(graph.incidentEdges, node).size(); };

  At(scratch.visitMark, startNode) = mark;
  if (liveDegree(startNode) == 1) info.hasLeaf = true;
  scratch.stack.clear();
  scratch.stack.emplace_back(startNode, excludedEdge);
  while (!scratch.stack.empty()) {
    const auto [node, arrival] = scratch.stack.back();
    scratch.stack.pop_back();
    for (const int32_t e : At(graph.incidentEdges, node)) {
      const EdgeRec& edge = At(graph.edges, e);
      if (e == arrival || edge.used || edge.pruned) continue;
      const int32_t other = edge.nodeA == node ? edge.nodeB : edge.nodeA;
      if (At(scratch.visitMark, other) == mark) continue;
      At(scratch.visitMark, other) = mark;
      info.length += edge.length;
      if (liveDegree(other) == 1) info.hasLeaf = true;
      scratch.stack.emplace_back(other, e);
    }
  }
  return info;
}
