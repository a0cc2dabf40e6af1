// The retracing walk that draws a whole junction component as one stroke:
// at a dead end it runs back over drawn ink to the last junction with
// undrawn branches and carries on from there.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "skeleton/branch_race.h"
#include "skeleton/byte_mask.h"
#include "skeleton/free_edge_copy.h"
#include "skeleton/points.h"
#include "skeleton/skeleton_graph.h"
#include "skeleton/start_preference.h"
#include "skeleton/turn_prediction.h"

constexpr int32_t kSeedSearchRadius = 4;

struct ShapeWalkOptions {
  FloatPoint startPoint;        // mask pixels
  FloatPoint writingDirection;  // unit vector from the skeleton's centroid toward the start point
  bool directionalStart = false;
  JunctionTracing tracing;  // curvature continuation in the direction score
};

// The set pixel nearest a seed within kSeedSearchRadius of it (square rings
// of growing radius); false when there is none.
bool FindSeedPixel(const ByteMask& mask, FloatPoint seed, IntPoint& pixel);

// The walk's start node in the component: a stroke end with a free edge when
// there is one, else any node with a free edge; fallbackNode when neither.
int32_t ChooseWalkStartNode(const SkeletonGraph& graph, std::span<const int32_t> componentNodes,
                            const StartPreference& preference, int32_t fallbackNode);

// Working storage a walk reuses from one component to the next.
struct ShapeWalkScratch {
  FreeEdgeCopy copy;
  BranchRace race;
  BranchScratch plain;  // for a node with more free edges than the race takes
};

// Walks the free edges reachable from startNode, marking them used. Returns the
// drawn pixels (retraced stretches included) up to the end of the last edge
// walked forward.
std::vector<IntPoint> WalkShapeGraph(SkeletonGraph& graph, int32_t startNode, JunctionTracing tracing,
                                     ShapeWalkScratch& scratch);

// The unsimplified stroke of one junction component: the start reference
// (the first seed that lands in the component, else the start point), the
// start node and the walk. componentNodes are the component's nodes in node
// order; firstNode is the node at which the component was reached.
std::vector<IntPoint> WalkJunctionComponent(SkeletonGraph& graph, const ByteMask& mask,
                                            std::span<const int32_t> componentNodes, int32_t firstNode,
                                            const ShapeWalkOptions& options, const std::vector<FloatPoint>& seeds,
                                            ShapeWalkScratch& scratch);
