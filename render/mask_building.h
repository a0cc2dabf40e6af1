// From the analysed layer's pixels to the cleaned skeleton: sampling against
// the threshold, 3x3 closing, distance field and thinning, and the skeleton
// clean-up (corner pass, small shapes, spurs, end trimming).
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "model/render_settings.h"
#include "skeleton/byte_mask.h"
#include "skeleton/distance_field.h"

// Spurs are only ever looked for up to this many pixels (or Spur Prune, if larger).
constexpr int32_t kSpurLengthCap = 40;
// A spur counts as short when no longer than this factor times the field at its junction.
constexpr float kSpurRadiusFactor = 1.2f;

// One cell per pixel of the layer: 1 where the chosen channel (1 luminance,
// 2 red, 3 green, 4 blue, 5 alpha), optionally inverted and, except for the
// alpha channel, multiplied by alpha, reaches threshold / 255.
ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold);

// 3x3 dilation followed by 3x3 erosion. Both only write the interior, so every
// cell within two pixels of the edge ends up 0.
void CloseMask3x3(ByteMask& mask);

// Clears the lower-right pixel of every full 2x2 block whose eight-neighbour
// ring has exactly one 0 -> 1 transition; in place, raster order.
void ClearBlockCorners(ByteMask& mask);

// Clears every 4-connected piece with fewer than minShapeArea pixels
// (nothing when minShapeArea <= 0).
void RemoveSmallShapes(ByteMask& mask, int32_t minShapeArea);

// Clears branches that run from a free end into a junction and are no longer
// than max(kSpurRadiusFactor x field at the junction, spurPrune); repeats until
// a pass removes nothing. An empty field counts as 0 everywhere.
void RemoveSpurs(ByteMask& mask, const DistanceField& field, int32_t spurPrune);

// Distance field of the closed mask, then the mask thinned in place.
void ComputeFieldAndThin(ByteMask& mask, DistanceField& field);

// The clean-up after thinning: corner pass, Min Shape Area, spur removal and,
// with Smooth Iterations above 0, end trimming.
void CleanSkeleton(ByteMask& mask, const DistanceField& field, const RenderSettings& settings);
