// Merge by Shape: one chain per connected piece of the skeleton.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"
#include "skeleton/turn_prediction.h"

// In result order: simple chains reused for components that hold exactly one
// of them (oriented toward the start point), pixel traces of components
// without a junction, retracing walks of components with junctions (in the
// order the components are reached), then closed traces of rings that have
// no node. seeds are start hints in priority order; simpleChains are the
// chains ExtractChainsSimple produced from the same mask.
struct GraphExtraction {
  float minLength = 0.0f;   // Min Chain Length; also the length below which spurs at stroke ends are pruned
  FloatPoint startPoint;    // Start Point, in mask pixels
  bool directionalStart = false;  // start where the writing direction points furthest, unless a seed decides
  JunctionTracing tracing;
};

std::vector<ChainRecord> ExtractChainsGraph(const ByteMask& mask, const GraphExtraction& options,
                                            const std::vector<FloatPoint>& seeds,
                                            const std::vector<ChainRecord>& simpleChains);

// Unit vector from the centroid of the set pixels toward (startX, startY);
// (-1, 0) when the two lie within 0.001 pixel of each other.
FloatPoint ComputeWritingDirection(const ByteMask& mask, float startX, float startY);
