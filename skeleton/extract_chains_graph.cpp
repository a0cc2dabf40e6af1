#include "skeleton/extract_chains_graph.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "skeleton/follow_run.h"
#include "skeleton/index_at.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/shape_walk.h"
#include "skeleton/skeleton_graph.h"
#include "skeleton/start_preference.h"

namespace {

constexpr float kCoincidentStartDistance = 0.001f;

// Each component's nodes, in node order.
struct NodesByComponent {
  std::vector<int32_t> offsets;  // component c owns list[offsets[c] .. offsets[c + 1])
  std::vector<int32_t> list;

  std::span<const int32_t> Of(int32_t component) const {
    const size_t begin = static_cast<size_t>(At(offsets, component));
    const size_t end = static_cast<size_t>(At(offsets, component + 1));
    return std::span<const int32_t>(list.data() + begin, end - begin);
  }
};

NodesByComponent GroupNodes(const SkeletonGraph& graph) {
  NodesByComponent grouped;
  grouped.offsets.assign(static_cast<size_t>(graph.componentCount) + 1, 0);
  for (const int32_t c : graph.nodeComponent) ++grouped.offsets[static_cast<size_t>(c) + 1];
  for (size_t c = 0; c < static_cast<size_t>(graph.componentCount); ++c) grouped.offsets[c + 1] += grouped.offsets[c];
  grouped.list.resize(graph.nodes.size());
  std::vector<int32_t> fill(grouped.offsets.begin(), grouped.offsets.end() - 1);
  for (int32_t node = 0; node < static_cast<int32_t>(graph.nodes.size()); ++node) {
    At(grouped.list, At(fill, At(graph.nodeComponent, node))++) = node;
  }
  return grouped;
}

int32_t ComponentAt(const SkeletonGraph& graph, IntPoint p) {
  if (p.x < 0 || p.y < 0 || p.x >= graph.width || p.y >= graph.height) return -1;
  return graph.componentOfPixel[GridIndex(graph.width, p.x, p.y)];
}

void RotateToFront(std::vector<IntPoint>& points, int32_t k) {
  if (k > 0) std::rotate(points.begin(), points.begin() + k, points.end());
}

// Follows set pixels from start, always to the first free neighbour in ring
// order; it does not look at the graph, so it also runs into pruned spurs.
// Takes at most as many pixels as the mask holds.
std::vector<IntPoint> TracePixelRun(const ByteMask& mask, IntPoint start, std::vector<uint8_t>& visited) {
  const int64_t limit = static_cast<int64_t>(mask.width) * mask.height;
  std::vector<IntPoint> points;
  const auto take = [&](IntPoint pixel) {
    visited[mask.Index(pixel.x, pixel.y)] = 1;
    points.push_back(pixel);
    return static_cast<int64_t>(points.size()) < limit;
  };
  if (limit < 1 || !take(start)) return points;
  const auto unvisited = [&](IntPoint pixel) { return visited[mask.Index(pixel.x, pixel.y)] == 0; };
  FollowRun(mask, kRingOrder, IntPoint{-1, -1}, start, unvisited, [&](IntPoint, IntPoint next) { return take(next); });
  return points;
}

ChainRecord SimplifyPoints(std::vector<IntPoint>&& points, bool closed) {
  ChainRecord raw;
  raw.points = std::move(points);
  ChainRecord simplified = SimplifyRdp(raw, kSimplifyTolerance);
  simplified.closed = closed;
  return simplified;
}

// A reused simple chain starts at its preferred end; a closed one is turned
// to start at its preferred point and closed by a repeated first point.
void OrientReusedChain(ChainRecord& chain, const StartPreference& preference) {
  std::vector<IntPoint>& points = chain.points;
  if (!chain.closed) {
    if (PreferenceScore(preference, points.back()) > PreferenceScore(preference, points.front())) {
      std::reverse(points.begin(), points.end());
    }
    return;
  }
  if (PointsEqual(points.front(), points.back())) points.pop_back();
  RotateToFront(points, PreferredPointIndex(points, preference));
  if (points.size() >= 2) points.push_back(points.front());
}

void ReuseSimpleChains(const SkeletonGraph& graph, const std::vector<ChainRecord>& simpleChains,
                       const StartPreference& preference, std::vector<bool>& componentDone,
                       std::vector<ChainRecord>& result) {
  std::vector<int32_t> chainCount(static_cast<size_t>(graph.componentCount), 0);
  std::vector<int32_t> firstChain(static_cast<size_t>(graph.componentCount), -1);
  for (size_t k = 0; k < simpleChains.size(); ++k) {
    const std::vector<IntPoint>& points = simpleChains[k].points;
    if (points.size() < 2) continue;
    const int32_t c = ComponentAt(graph, points.front());
    if (c < 0 || ComponentAt(graph, points[points.size() / 2]) != c || ComponentAt(graph, points.back()) != c) continue;
    ++At(chainCount, c);
    if (At(firstChain, c) < 0) At(firstChain, c) = static_cast<int32_t>(k);
  }
  for (size_t c = 0; c < static_cast<size_t>(graph.componentCount); ++c) {
    if (chainCount[c] != 1 || graph.liveEdgeCount[c] == 0) continue;
    ChainRecord chain = At(simpleChains, firstChain[c]);
    OrientReusedChain(chain, preference);
    result.push_back(std::move(chain));
    componentDone[c] = true;
  }
}

}  // namespace

FloatPoint ComputeWritingDirection(const ByteMask& mask, float startX, float startY) {
  double sumX = 0.0;
  double sumY = 0.0;
  int64_t count = 0;
  const size_t total = mask.cells.size();
  for (size_t index = 0; index < total; ++index) {
    if (mask.cells[index] == 0) continue;
    sumX += static_cast<double>(index % static_cast<size_t>(mask.width));
    sumY += static_cast<double>(index / static_cast<size_t>(mask.width));
    ++count;
  }
  if (count > 0) {
    sumX /= static_cast<double>(count);
    sumY /= static_cast<double>(count);
  }
  const float dx = startX - static_cast<float>(sumX);
  const float dy = startY - static_cast<float>(sumY);
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length > kCoincidentStartDistance) return FloatPoint{dx / length, dy / length};
  return FloatPoint{-1.0f, 0.0f};
}

std::vector<ChainRecord> ExtractChainsGraph(const ByteMask& mask, const GraphExtraction& options,
                                            const std::vector<FloatPoint>& seeds,
                                            const std::vector<ChainRecord>& simpleChains) {
  const float minLength = options.minLength;
  std::vector<ChainRecord> result;
  if (mask.width < 1 || mask.height < 1) return result;
  SkeletonGraph graph = BuildSkeletonGraph(mask, minLength);
  if (graph.componentOfPixel.empty()) return result;  // cells that do not match the size

  const FloatPoint startPoint = options.startPoint;
  const FloatPoint writingDirection = ComputeWritingDirection(mask, startPoint.x, startPoint.y);
  const StartPreference nearestStart{startPoint, writingDirection, false};
  const StartPreference preferredStart{startPoint, writingDirection, options.directionalStart};
  const size_t componentCount = static_cast<size_t>(graph.componentCount);
  std::vector<bool> componentHasJunction(componentCount, false);
  for (size_t node = 0; node < graph.nodes.size(); ++node) {
    if (graph.incidentEdges[node].size() > 2) At(componentHasJunction, graph.nodeComponent[node]) = true;
  }
  std::vector<bool> componentDone(componentCount, false);

  if (!simpleChains.empty()) ReuseSimpleChains(graph, simpleChains, preferredStart, componentDone, result);

  const NodesByComponent nodesByComponent = GroupNodes(graph);
  const ShapeWalkOptions walkOptions{startPoint, writingDirection, options.directionalStart, options.tracing};
  // A pixel trace never leaves its component and each component is traced
  // at most once (here or among the rings below), so one visited grid serves
  // every trace.
  std::vector<uint8_t> traceVisited;
  ShapeWalkScratch scratch;
  for (int32_t node = 0; node < static_cast<int32_t>(graph.nodes.size()); ++node) {
    const size_t c = static_cast<size_t>(At(graph.nodeComponent, node));
    if (componentDone[c] || graph.liveEdgeCount[c] == 0 || !NodeHasFreeEdge(graph, node)) continue;
    componentDone[c] = true;
    const std::span<const int32_t> componentNodes = nodesByComponent.Of(static_cast<int32_t>(c));

    if (!componentHasJunction[c]) {
      int32_t startNode = node;
      float bestScore = kNoPreferenceScore;
      for (const int32_t candidate : componentNodes) {
        const float score = PreferenceScore(nearestStart, NodePixel(graph, candidate));
        if (score > bestScore) {
          bestScore = score;
          startNode = candidate;
        }
      }
      if (traceVisited.empty()) traceVisited.assign(mask.cells.size(), 0);
      std::vector<IntPoint> trace = TracePixelRun(mask, NodePixel(graph, startNode), traceVisited);
      if (trace.size() < 4) continue;
      ChainRecord chain = SimplifyPoints(std::move(trace), true);
      if (PolylineLength(chain.points) >= minLength) result.push_back(std::move(chain));
      continue;
    }

    std::vector<IntPoint> walk =
        WalkJunctionComponent(graph, mask, componentNodes, node, walkOptions, seeds, scratch);
    if (walk.size() < 2) continue;
    ChainRecord chain = SimplifyPoints(std::move(walk), false);
    if (PolylineLength(chain.points) >= minLength || chain.points.size() > 4) result.push_back(std::move(chain));
  }
  scratch = ShapeWalkScratch{};  // its buffers are not needed by the rings

  // Rings of degree-2 pixels have no node and so no edge: trace them closed.
  std::vector<bool> componentHasNode(componentCount, false);
  for (const int32_t c : graph.nodeComponent) At(componentHasNode, c) = true;
  if (std::find(componentHasNode.begin(), componentHasNode.end(), false) == componentHasNode.end()) return result;
  if (traceVisited.empty()) traceVisited.assign(mask.cells.size(), 0);
  for (size_t index = 0; index < mask.cells.size(); ++index) {
    if (mask.cells[index] == 0 || traceVisited[index] != 0) continue;
    const size_t c = static_cast<size_t>(graph.componentOfPixel[index]);
    if (componentDone[c] || componentHasNode[c]) continue;
    const IntPoint start{static_cast<int32_t>(index % static_cast<size_t>(mask.width)),
                         static_cast<int32_t>(index / static_cast<size_t>(mask.width))};
    std::vector<IntPoint> trace = TracePixelRun(mask, start, traceVisited);
    if (trace.size() < 4) continue;
    RotateToFront(trace, PreferredPointIndex(trace, preferredStart));
    ChainRecord chain = SimplifyPoints(std::move(trace), true);
    if (PolylineLength(chain.points) >= minLength) result.push_back(std::move(chain));
  }
  return result;
}
