#include "skeleton/shape_walk.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "skeleton/index_at.h"
#include "skeleton/turn_prediction.h"
#include "skeleton/ring_search.h"

namespace {

constexpr float kMinCurvatureBias = 0.0001f;
constexpr float kNoCandidateScore = -1e9f;
constexpr float kDirectionWeight = 0.001f;

struct WalkStep {
  int32_t node;  // the node the edge led to
  int32_t edge;  // -1 for the bottom entry
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
                                     BranchScratch& scratch) {
  std::vector<IntPoint> points{NodePixel(graph, startNode)};
  std::vector<WalkStep> edgeStack{WalkStep{startNode, -1}};
  FloatPoint heading{0.0f, 0.0f};
  int32_t remaining = At(graph.liveEdgeCount, At(graph.nodeComponent, startNode));
  size_t lastForwardEnd = 0;
  int32_t current = startNode;
  const float bias = tracing.bias;
  const bool curvature = tracing.smart && std::fabs(bias) > kMinCurvatureBias;

  // Every forward step uses up an edge and every retrace pops the stack, so
  // the loop ends after at most twice the number of edges.
  for (;;) {
    FloatPoint predicted = heading;
    if (curvature && !IsZero(heading) && points.size() >= 4) predicted = PredictTurnFromPoints(points, heading);

    const std::vector<int32_t>& incident = At(graph.incidentEdges, current);
    int32_t count = 0;
    for (const int32_t e : incident) count += EdgeIsFree(At(graph.edges, e)) ? 1 : 0;
    int32_t best = -1;
    float bestScore = kNoCandidateScore;
    for (const int32_t e : incident) {
      const EdgeRec& edge = At(graph.edges, e);
      if (!EdgeIsFree(edge)) continue;
      float direction = 0.0f;
      if (!IsZero(heading)) {
        const FloatPoint u = FirstStepFrom(edge, current);
        direction = curvature ? (1.0f - std::fabs(bias)) * Dot(u, heading) + bias * Dot(u, predicted)
                              : Dot(u, heading);
      }
      float score = direction;
      if (count > 1) {
        const int32_t far = edge.nodeA == current ? edge.nodeB : edge.nodeA;
        const BranchInfo branch = MeasureBranch(graph, far, e, scratch);
        score = (branch.hasLeaf ? kDeadEndPenalty : 0.0f) - (branch.length + edge.length) +
                kDirectionWeight * direction;
      }
      if (score > bestScore) {
        bestScore = score;
        best = e;
      }
    }

    if (best >= 0) {
      EdgeRec& edge = At(graph.edges, best);
      edge.used = true;
      --remaining;
      const int32_t from = current;
      current = edge.nodeA == from ? edge.nodeB : edge.nodeA;
      AppendEdgeFrom(edge, from, points);
      edgeStack.push_back(WalkStep{current, best});
      lastForwardEnd = points.size() - 1;
      heading = LastStepOf(points, heading);
      continue;
    }

    if (remaining <= 0 || edgeStack.size() <= 1) break;
    bool resumed = false;
    while (edgeStack.size() > 1) {
      const WalkStep top = edgeStack.back();
      edgeStack.pop_back();
      current = edgeStack.back().node;
      AppendEdgeFrom(At(graph.edges, top.edge), top.node, points);
      if (NodeHasFreeEdge(graph, current)) {
        heading = LastStepOf(points, heading);
        resumed = true;
        break;
      }
    }
    if (!resumed) break;
  }

  // Retracing after the last newly drawn edge is not part of the stroke.
  if (lastForwardEnd > 0 && lastForwardEnd < points.size() - 1) points.resize(lastForwardEnd + 1);
  return points;
}

std::vector<IntPoint> WalkJunctionComponent(SkeletonGraph& graph, const ByteMask& mask,
                                            std::span<const int32_t> componentNodes, int32_t firstNode,
                                            const ShapeWalkOptions& options, const std::vector<FloatPoint>& seeds,
                                            BranchScratch& scratch) {
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
