#include "skeleton/shape_walk.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "skeleton/index_at.h"
#include "skeleton/turn_prediction.h"
#include "skeleton/ring_search.h"

namespace {

constexpr float kMinCurvatureBias = 0.0001f;

struct WalkStep {
  int32_t node;  // the node the edge led to
  int32_t edge;  // -1 for the bottom entry
};

// Where the walk stands. Every forward step uses up an edge and every
// retrace pops the stack, so a walk ends after at most twice the number of
// edges.
struct ShapeWalk {
  std::vector<IntPoint> points;
  std::vector<WalkStep> edgeStack;
  FloatPoint heading{0.0f, 0.0f};
  int32_t current = -1;
  int32_t remaining = 0;  // free edges of the component
  size_t lastForwardEnd = 0;
};

// Appends the edge's pixels as walked away from fromNode, without the pixel
// of fromNode itself. A loop edge is walked in its stored order.
void AppendEdgeFrom(const EdgeRec& edge, int32_t fromNode, std::vector<IntPoint>& points) {
  if (edge.nodeA == fromNode) {
    points.insert(points.end(), edge.pixels.begin() + 1, edge.pixels.end());
  } else {
    points.insert(points.end(), edge.pixels.rbegin() + 1, edge.pixels.rend());
  }
}

FloatPoint FirstStepFrom(const EdgeRec& edge, int32_t fromNode) {
  const size_t last = edge.pixels.size() - 1;
  if (edge.nodeA == fromNode) return UnitStep(edge.pixels[0], edge.pixels[1]);
  return UnitStep(edge.pixels[last], edge.pixels[last - 1]);
}

FloatPoint LastStepOf(const std::vector<IntPoint>& points, FloatPoint fallback) {
  if (points.size() < 2) return fallback;
  return UnitStep(points[points.size() - 2], points.back());
}

// The heading turned by the mean turn of the last few pixel steps (retraced
// stretches included); the walk keeps at least 4 points before asking.
FloatPoint PredictTurnFromPoints(const std::vector<IntPoint>& points, FloatPoint heading) {
  constexpr size_t kSteps = 5;
  const size_t n = points.size();
  const size_t k = std::min<size_t>(n - 1, kSteps);
  FloatPoint steps[kSteps];
  for (size_t i = 0; i < k; ++i) steps[i] = UnitStep(points[n - k - 1 + i], points[n - k + i]);
  return PredictTurn(heading, steps, static_cast<int32_t>(k));
}

bool TracesCurvature(JunctionTracing tracing) { return tracing.smart && std::fabs(tracing.bias) > kMinCurvatureBias; }

// The heading the walk expects to continue in: turned by the recent turn when
// Junction Curvature Bias is in force.
FloatPoint PredictHeading(const ShapeWalk& walk, JunctionTracing tracing) {
  if (TracesCurvature(tracing) && !IsZero(walk.heading) && walk.points.size() >= 4) {
    return PredictTurnFromPoints(walk.points, walk.heading);
  }
  return walk.heading;
}

// How well the edge continues the heading (0 before the first step), with
// the predicted turn blended in by the bias.
float DirectionScore(const EdgeRec& edge, int32_t from, FloatPoint heading, FloatPoint predicted,
                     JunctionTracing tracing) {
  if (IsZero(heading)) return 0.0f;
  const FloatPoint u = FirstStepFrom(edge, from);
  if (!TracesCurvature(tracing)) return Dot(u, heading);
  return (1.0f - std::fabs(tracing.bias)) * Dot(u, heading) + tracing.bias * Dot(u, predicted);
}

// Every candidate measured to its end, one after the other: for a node with
// more free edges than the race takes, which the graph never builds.
int32_t ChooseByFullMeasure(const SkeletonGraph& graph, const ShapeWalk& walk, FloatPoint predicted,
                            JunctionTracing tracing, BranchScratch& scratch) {
  int32_t best = -1;
  float bestScore = kNoCandidateScore;
  for (const int32_t e : At(graph.incidentEdges, walk.current)) {
    const EdgeRec& edge = At(graph.edges, e);
    if (!EdgeIsFree(edge)) continue;
    const BranchInfo branch = MeasureBranch(graph, edge.nodeA == walk.current ? edge.nodeB : edge.nodeA, e, scratch);
    const float direction = DirectionScore(edge, walk.current, walk.heading, predicted, tracing);
    const float score = BranchScore(branch.hasLeaf, branch.length, edge.length, direction);
    if (score > bestScore) {
      bestScore = score;
      best = e;
    }
  }
  return best;
}

// The free edge to take from the walk's node, -1 at a dead end. A lone free
// edge is taken on its direction alone; among several, branch length decides.
int32_t ChooseNextEdge(const SkeletonGraph& graph, const ShapeWalk& walk, FloatPoint predicted,
                       JunctionTracing tracing, ShapeWalkScratch& scratch) {
  const FreeEdgeCopy& copy = scratch.copy;
  const uint32_t node = static_cast<uint32_t>(At(copy.indexOfNode, walk.current));
  const uint32_t count = FreeEdgeCount(copy, node);
  if (count == 0) return -1;
  const int32_t* edges = copy.slotEdge.data() + RecordOf(copy, node) + 1;
  float directions[kMaxRacers];
  if (count == 1) {
    const float direction = DirectionScore(At(graph.edges, edges[0]), walk.current, walk.heading, predicted, tracing);
    return direction > kNoCandidateScore ? edges[0] : -1;
  }
  if (!RaceTakes(copy, count)) return ChooseByFullMeasure(graph, walk, predicted, tracing, scratch.plain);
  for (uint32_t i = 0; i < count; ++i) {
    directions[i] = DirectionScore(At(graph.edges, edges[i]), walk.current, walk.heading, predicted, tracing);
  }
  const int32_t chosen = RaceBranches(copy, node, directions, scratch.race);
  return chosen < 0 ? -1 : edges[chosen];
}

void StepForward(SkeletonGraph& graph, int32_t edgeIndex, ShapeWalk& walk, FreeEdgeCopy& copy) {
  EdgeRec& edge = At(graph.edges, edgeIndex);
  edge.used = true;
  RemoveCopiedEdge(copy, edge, edgeIndex);
  --walk.remaining;
  const int32_t from = walk.current;
  walk.current = edge.nodeA == from ? edge.nodeB : edge.nodeA;
  AppendEdgeFrom(edge, from, walk.points);
  walk.edgeStack.push_back(WalkStep{walk.current, edgeIndex});
  walk.lastForwardEnd = walk.points.size() - 1;
  walk.heading = LastStepOf(walk.points, walk.heading);
}

// Back over drawn edges to the latest node on the stack that still has a
// free edge; false when the walk is over (no free edge left in the
// component, or none on the way back).
bool RetraceToFreeEdge(const SkeletonGraph& graph, const FreeEdgeCopy& copy, ShapeWalk& walk) {
  if (walk.remaining <= 0) return false;
  while (walk.edgeStack.size() > 1) {
    const WalkStep top = walk.edgeStack.back();
    walk.edgeStack.pop_back();
    walk.current = walk.edgeStack.back().node;
    AppendEdgeFrom(At(graph.edges, top.edge), top.node, walk.points);
    if (FreeEdgeCount(copy, static_cast<uint32_t>(At(copy.indexOfNode, walk.current))) > 0) {
      walk.heading = LastStepOf(walk.points, walk.heading);
      return true;
    }
  }
  return false;
}

int32_t SeedCoordinate(float position, int32_t size) {
  const float shifted = position + 0.5f;
  if (!(shifted > 0.0f)) return 0;  // also catches NaN
  if (shifted >= static_cast<float>(size - 1)) return size - 1;
  return static_cast<int32_t>(shifted);
}

}  // namespace

bool FindSeedPixel(const ByteMask& mask, FloatPoint seed, IntPoint& pixel) {
  if (mask.width < 1 || mask.height < 1) return false;
  const IntPoint centre{SeedCoordinate(seed.x, mask.width), SeedCoordinate(seed.y, mask.height)};
  const auto set = [&](int32_t x, int32_t y) { return MaskGet(mask, x, y) != 0; };
  return FindNearestInRings(centre, kSeedSearchRadius, set, pixel);
}

int32_t ChooseWalkStartNode(const SkeletonGraph& graph, std::span<const int32_t> componentNodes,
                            const StartPreference& preference, int32_t fallbackNode) {
  for (const bool strokeEndsOnly : {true, false}) {
    int32_t best = -1;
    float bestScore = kNoPreferenceScore;
    for (const int32_t node : componentNodes) {
      if (strokeEndsOnly && At(graph.nodeDegree, node) != 1) continue;
      if (!NodeHasFreeEdge(graph, node)) continue;
      const float score = PreferenceScore(preference, NodePixel(graph, node));
      if (score > bestScore) {
        bestScore = score;
        best = node;
      }
    }
    if (best >= 0) return best;
  }
  return fallbackNode;
}

std::vector<IntPoint> WalkShapeGraph(SkeletonGraph& graph, int32_t startNode, JunctionTracing tracing,
                                     ShapeWalkScratch& scratch) {
  CopyReachableFreeEdges(graph, startNode, scratch.copy);
  ResetBranchRace(scratch.race, scratch.copy.nodes.size());
  ShapeWalk walk;
  walk.points = {NodePixel(graph, startNode)};
  walk.edgeStack = {WalkStep{startNode, -1}};
  walk.current = startNode;
  walk.remaining = At(graph.liveEdgeCount, At(graph.nodeComponent, startNode));
  for (;;) {
    const FloatPoint predicted = PredictHeading(walk, tracing);
    const int32_t next = ChooseNextEdge(graph, walk, predicted, tracing, scratch);
    if (next >= 0) {
      StepForward(graph, next, walk, scratch.copy);
    } else if (!RetraceToFreeEdge(graph, scratch.copy, walk)) {
      break;
    }
  }
  ClearFreeEdgeCopy(scratch.copy);

  // Retracing after the last newly drawn edge is not part of the stroke.
  std::vector<IntPoint>& points = walk.points;
  if (walk.lastForwardEnd > 0 && walk.lastForwardEnd < points.size() - 1) points.resize(walk.lastForwardEnd + 1);
  return std::move(points);
}

std::vector<IntPoint> WalkJunctionComponent(SkeletonGraph& graph, const ByteMask& mask,
                                            std::span<const int32_t> componentNodes, int32_t firstNode,
                                            const ShapeWalkOptions& options, const std::vector<FloatPoint>& seeds,
                                            ShapeWalkScratch& scratch) {
  const int32_t component = At(graph.nodeComponent, firstNode);
  StartPreference preference{options.startPoint, options.writingDirection, false};
  bool seedInForce = false;
  for (const FloatPoint& seed : seeds) {
    IntPoint pixel;
    if (!FindSeedPixel(mask, seed, pixel)) continue;
    const int32_t pixelIndex = pixel.y * mask.width + pixel.x;
    if (At(graph.componentOfPixel, pixelIndex) != component) continue;
    preference.reference = FloatPoint{static_cast<float>(pixel.x), static_cast<float>(pixel.y)};
    seedInForce = true;
    break;
  }
  preference.furthestAlong = options.directionalStart && !seedInForce;
  const int32_t startNode = ChooseWalkStartNode(graph, componentNodes, preference, firstNode);
  return WalkShapeGraph(graph, startNode, options.tracing, scratch);
}
