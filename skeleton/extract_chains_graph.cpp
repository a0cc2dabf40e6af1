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
  FollowRun(mask, kRingOrder, IntPoint{-1, -1}, start, unvisited,
            [&](IntPoint, IntPoint next) { return take(next); });
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

// What the phases share: the graph, the start preferences, which components
// have their chain, and the result so far.
struct GraphExtractionState {
  const ByteMask& mask;
  SkeletonGraph& graph;
  float minLength = 0.0f;
  StartPreference nearestStart;    // the Start Point itself
  StartPreference preferredStart;  // the Start Point, or the writing direction with Directional Start
  std::vector<bool> componentDone;
  // A pixel trace never leaves its component and each component is traced
  // at most once, so one visited grid serves every trace.
  std::vector<uint8_t> traceVisited;
  std::vector<ChainRecord> result;
};

void KeepIfLongEnough(GraphExtractionState& state, ChainRecord&& chain) {
  if (PolylineLength(chain.points) >= state.minLength) state.result.push_back(std::move(chain));
}

std::vector<uint8_t>& TraceVisited(GraphExtractionState& state) {
  if (state.traceVisited.empty()) state.traceVisited.assign(state.mask.cells.size(), 0);
  return state.traceVisited;
}

// Phase 1: a component that holds exactly one simple chain, and has live
// edges, gets that chain turned toward the start.
void ReuseSimpleChains(GraphExtractionState& state, const std::vector<ChainRecord>& simpleChains) {
  const SkeletonGraph& graph = state.graph;
  std::vector<int32_t> chainCount(static_cast<size_t>(graph.componentCount), 0);
  std::vector<int32_t> firstChain(static_cast<size_t>(graph.componentCount), -1);
  for (size_t index = 0; index < simpleChains.size(); ++index) {
    const std::vector<IntPoint>& points = simpleChains[index].points;
    if (points.size() < 2) continue;
    const int32_t component = ComponentAt(graph, points.front());
    if (component < 0 || ComponentAt(graph, points[points.size() / 2]) != component ||
        ComponentAt(graph, points.back()) != component) {
      continue;
    }
    ++At(chainCount, component);
    if (At(firstChain, component) < 0) At(firstChain, component) = static_cast<int32_t>(index);
  }
  for (size_t component = 0; component < static_cast<size_t>(graph.componentCount); ++component) {
    if (chainCount[component] != 1 || graph.liveEdgeCount[component] == 0) continue;
    ChainRecord chain = At(simpleChains, firstChain[component]);
    OrientReusedChain(chain, state.preferredStart);
    state.result.push_back(std::move(chain));
    state.componentDone[component] = true;
  }
}


std::vector<bool> ComponentsWithJunction(const SkeletonGraph& graph) {
  std::vector<bool> hasJunction(static_cast<size_t>(graph.componentCount), false);
  for (size_t node = 0; node < graph.nodes.size(); ++node) {
    if (graph.incidentEdges[node].size() > 2) At(hasJunction, graph.nodeComponent[node]) = true;
  }
  return hasJunction;
}

// Phase 2: a component without a junction is traced pixel by pixel from its
// node nearest the Start Point, and closed.
void TraceComponentWithoutJunction(GraphExtractionState& state, std::span<const int32_t> componentNodes,
                                   int32_t firstNode) {
  int32_t startNode = firstNode;
  float bestScore = kNoPreferenceScore;
  for (const int32_t candidate : componentNodes) {
    const float score = PreferenceScore(state.nearestStart, NodePixel(state.graph, candidate));
    if (score > bestScore) {
      bestScore = score;
      startNode = candidate;
    }
  }
  std::vector<IntPoint> trace = TracePixelRun(state.mask, NodePixel(state.graph, startNode), TraceVisited(state));
  if (trace.size() < 4) return;
  KeepIfLongEnough(state, SimplifyPoints(std::move(trace), true));
}

// Phases 2 and 3: each component not yet done, at its first node in node
// order that has a free edge; a component with a junction gets the
// retracing walk.
void ExtractComponentsAtNodes(GraphExtractionState& state, const ShapeWalkOptions& walkOptions,
                              const std::vector<FloatPoint>& seeds) {
  SkeletonGraph& graph = state.graph;
  const std::vector<bool> componentHasJunction = ComponentsWithJunction(graph);
  const NodesByComponent nodesByComponent = GroupNodes(graph);
  ShapeWalkScratch scratch;
  for (int32_t node = 0; node < static_cast<int32_t>(graph.nodes.size()); ++node) {
    const size_t component = static_cast<size_t>(At(graph.nodeComponent, node));
    if (state.componentDone[component] || graph.liveEdgeCount[component] == 0) continue;
    if (!NodeHasFreeEdge(graph, node)) continue;
    state.componentDone[component] = true;
    const std::span<const int32_t> componentNodes = nodesByComponent.Of(static_cast<int32_t>(component));
    if (!componentHasJunction[component]) {
      TraceComponentWithoutJunction(state, componentNodes, node);
      continue;
    }
    std::vector<IntPoint> walk =
        WalkJunctionComponent(graph, state.mask, componentNodes, node, walkOptions, seeds, scratch);
    if (walk.size() < 2) continue;
    ChainRecord chain = SimplifyPoints(std::move(walk), false);
    if (PolylineLength(chain.points) >= state.minLength || chain.points.size() > 4) {
      state.result.push_back(std::move(chain));
    }
  }
}

// Phase 4: rings of degree-2 pixels have no node and so no edge; each is
// traced closed from its pixel nearest the start.
void TraceNodelessRings(GraphExtractionState& state) {
  const SkeletonGraph& graph = state.graph;
  const ByteMask& mask = state.mask;
  std::vector<bool> componentHasNode(static_cast<size_t>(graph.componentCount), false);
  for (const int32_t component : graph.nodeComponent) At(componentHasNode, component) = true;
  if (std::find(componentHasNode.begin(), componentHasNode.end(), false) == componentHasNode.end()) return;
  std::vector<uint8_t>& visited = TraceVisited(state);
  for (size_t index = 0; index < mask.cells.size(); ++index) {
    if (mask.cells[index] == 0 || visited[index] != 0) continue;
    const size_t component = static_cast<size_t>(graph.componentOfPixel[index]);
    if (state.componentDone[component] || componentHasNode[component]) continue;
    const IntPoint start{static_cast<int32_t>(index % static_cast<size_t>(mask.width)),
                         static_cast<int32_t>(index / static_cast<size_t>(mask.width))};
    std::vector<IntPoint> trace = TracePixelRun(mask, start, visited);
    if (trace.size() < 4) continue;
    RotateToFront(trace, PreferredPointIndex(trace, state.preferredStart));
    KeepIfLongEnough(state, SimplifyPoints(std::move(trace), true));
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
  if (mask.width < 1 || mask.height < 1) return {};
  SkeletonGraph graph = BuildSkeletonGraph(mask, options.minLength);
  if (graph.componentOfPixel.empty()) return {};  // cells that do not match the size

  const FloatPoint startPoint = options.startPoint;
  const FloatPoint writingDirection = ComputeWritingDirection(mask, startPoint.x, startPoint.y);
  GraphExtractionState state{mask, graph, options.minLength, StartPreference{startPoint, writingDirection, false},
                             StartPreference{startPoint, writingDirection, options.directionalStart},
                             std::vector<bool>(static_cast<size_t>(graph.componentCount), false), {}, {}};
  if (!simpleChains.empty()) ReuseSimpleChains(state, simpleChains);
  const ShapeWalkOptions walkOptions{startPoint, writingDirection, options.directionalStart, options.tracing};
  ExtractComponentsAtNodes(state, walkOptions, seeds);
  TraceNodelessRings(state);
  return std::move(state.result);
}
