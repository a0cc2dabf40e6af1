#include "host/ui/plane_transform.h"

#include <cmath>

#include "host_interface/host_fixed_point.h"

bool IsUsableTransform(const PlaneTransform& transform) {
  return std::isfinite(transform.offsetX) && std::isfinite(transform.offsetY) && std::isfinite(transform.scaleX) &&
         std::isfinite(transform.scaleY) && transform.scaleX > 0.0 && transform.scaleY > 0.0;
}

bool IsIdentityTransform(const PlaneTransform& transform) {
  return transform.offsetX == 0.0 && transform.offsetY == 0.0 && transform.scaleX == 1.0 && transform.scaleY == 1.0;
}

HostFixedPoint TransformForward(const PlaneTransform& transform, HostFixedPoint point) {
  return {RoundToFixedSaturated(FixedToDouble(point.x) * transform.scaleX + transform.offsetX),
          RoundToFixedSaturated(FixedToDouble(point.y) * transform.scaleY + transform.offsetY)};
}

HostFixedPoint TransformBack(const PlaneTransform& transform, HostFixedPoint point) {
  return {RoundToFixedSaturated((FixedToDouble(point.x) - transform.offsetX) / transform.scaleX),
          RoundToFixedSaturated((FixedToDouble(point.y) - transform.offsetY) / transform.scaleY)};
}
