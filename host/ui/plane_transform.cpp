#include "host/ui/plane_transform.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kFixedOne = 65536.0;

double ToPixels(int32_t fixed) { return static_cast<double>(fixed) / kFixedOne; }

}  // namespace

bool IsUsableTransform(const PlaneTransform& transform) {
  return std::isfinite(transform.offsetX) && std::isfinite(transform.offsetY) && std::isfinite(transform.scaleX) &&
         std::isfinite(transform.scaleY) && transform.scaleX > 0.0 && transform.scaleY > 0.0;
}

bool IsIdentityTransform(const PlaneTransform& transform) {
  return transform.offsetX == 0.0 && transform.offsetY == 0.0 && transform.scaleX == 1.0 && transform.scaleY == 1.0;
}

int32_t PixelsToFixed(double pixels) {
  const double scaled = pixels * kFixedOne;
  if (std::isnan(scaled)) return 0;
  const double rounded = std::round(scaled);  // halves away from zero
  if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

HostFixedPoint TransformForward(const PlaneTransform& transform, HostFixedPoint point) {
  return {PixelsToFixed(ToPixels(point.x) * transform.scaleX + transform.offsetX),
          PixelsToFixed(ToPixels(point.y) * transform.scaleY + transform.offsetY)};
}

HostFixedPoint TransformBack(const PlaneTransform& transform, HostFixedPoint point) {
  return {PixelsToFixed((ToPixels(point.x) - transform.offsetX) / transform.scaleX),
          PixelsToFixed((ToPixels(point.y) - transform.offsetY) / transform.scaleY)};
}
