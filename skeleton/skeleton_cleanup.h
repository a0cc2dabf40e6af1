// From the closed mask to the skeleton that is traced: the distance field and
// thinning, then the clean-up of what thinning leaves (block corners, small
// shapes, spurs, end trimming).
#pragma once

#include <cstdint>

#include "skeleton/byte_mask.h"
#include "skeleton/distance_field.h"

// The clean-up's settings: Min Shape Area, Spur Prune and Smooth Iterations.
struct SkeletonCleanup {
  int32_t minShapeArea = 0;
  int32_t spurPrune = 0;
  int32_t smoothIterations = 1;
};

// Clears the lower-right pixel of every full 2x2 block whose eight-neighbour
// ring has exactly one 0 -> 1 transition; in place, raster order.
void ClearBlockCorners(ByteMask& mask);

// Clears every 4-connected piece with fewer than minShapeArea pixels
// (nothing when minShapeArea <= 0).
void RemoveSmallShapes(ByteMask& mask, int32_t minShapeArea);

// Distance field of the closed mask, then the mask thinned in place.
void ComputeFieldAndThin(ByteMask& mask, DistanceField& field);

// The clean-up after thinning: corner pass, Min Shape Area, spur removal and,
// with Smooth Iterations above 0, end trimming.
void CleanSkeleton(ByteMask& mask, const DistanceField& field, const SkeletonCleanup& cleanup);
