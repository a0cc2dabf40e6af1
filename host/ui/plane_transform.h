// One plane placed on another: an offset and a scale per axis, applied to
// the host's 16.16 fixed-point points forward (x * scale + offset) and back
// ((x - offset) / scale).
//
// The arithmetic is done in double on the point's pixel value; the result is
// rounded to the nearest 1/65536 pixel, halves away from zero, and saturated
// to the 32-bit range (RoundToFixedSaturated), so a point far outside never
// wraps around. A transform
// with a zero, negative or non-finite scale, or a non-finite offset, is not
// usable (IsUsableTransform); the host refuses to set one.
#pragma once

#include <cstdint>

#include "host_interface/host_event.h"

struct PlaneTransform {
  double offsetX = 0.0;  // pixels of the outer plane
  double offsetY = 0.0;
  double scaleX = 1.0;   // outer pixels per inner pixel
  double scaleY = 1.0;
};

bool IsUsableTransform(const PlaneTransform& transform);
bool IsIdentityTransform(const PlaneTransform& transform);

HostFixedPoint TransformForward(const PlaneTransform& transform, HostFixedPoint point);
HostFixedPoint TransformBack(const PlaneTransform& transform, HostFixedPoint point);
