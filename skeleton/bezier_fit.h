// Replaces an open chain by a run of cubic Bezier segments within a tolerance
// (least-squares fit along fixed end tangents, split at the worst point).
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/points.h"

struct CubicSegment {
  FloatPoint p0;  // start
  FloatPoint p1;  // control point after the start
  FloatPoint p2;  // control point before the end
  FloatPoint p3;  // end
};

// Rewrites the chain as fitted anchors (points, fpoints) with handles (inT,
// outT). Chains of fewer than 3 points are left unchanged.
void FitChainBeziers(ChainRecord& chain, float tolerance);

// A run data[first..last] of the points to fit (first < last) with the unit
// tangents at its ends.
struct FitRange {
  int32_t first = 0;
  int32_t last = 0;
  FloatPoint startTangent;  // from data[first] into the curve
  FloatPoint endTangent;    // from data[last] back into the curve
};

// Fits the range and appends the segments in order along the data, each
// within `tolerance` of its points. Nesting stays constant whatever the range
// length: the ranges still to fit wait on an explicit stack.
void FitBezierSegments(const std::vector<FloatPoint>& data, const FitRange& range, float tolerance,
                       std::vector<CubicSegment>& output);

// The one segment of least squared error along the range's end tangents.
CubicSegment GenerateBezier(const std::vector<FloatPoint>& data, const FitRange& range);

// Greatest distance of an interior data point from the segment at its
// chord-length parameter; splitIndex receives that point's index (the middle
// index when no interior point is off the curve).
float BezierMaxError(const std::vector<FloatPoint>& data, int32_t first, int32_t last, const CubicSegment& segment,
                     int32_t& splitIndex);

// last - first + 1 parameters in [0, 1] proportional to the distance along the data.
std::vector<float> ChordLengthParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last);

// Point of the segment at parameter t.
FloatPoint EvaluateCubic(const CubicSegment& segment, float t);
