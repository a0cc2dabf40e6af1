#include "render/drawing/offset_outline.h"

#include <algorithm>
#include <cmath>

#include "render/drawing/draw_primitives.h"

namespace {

void DrawRingCapsule(const HostFrame& output, FloatPoint a, FloatPoint b, float radius, HostPixel8 colour) {
  DrawCapsule(output, output, Capsule{a, b, radius, radius, colour}, nullptr);
}

}  // namespace

RingShape RingShapeFor(const RenderSettings& settings) {
  RingShape ring;
  ring.offset = static_cast<float>(settings.lineRadius) + settings.ringGap + settings.ringWidth * 0.5f;
  ring.radius = settings.ringWidth * 0.5f;
  if (ring.radius < 0.5f) ring.radius = 0.5f;
  return ring;
}

void DrawOffsetOutline(const std::vector<FloatPoint>& path, float offset, const HostFrame& output, float radius,
                       HostPixel8 colour, bool roundCaps) {
  const size_t n = path.size();
  if (n < 2) return;

  std::vector<FloatPoint> segmentNormals(n - 1);
  for (size_t k = 0; k + 1 < n; ++k) {
    const FloatPoint d{path[k + 1].x - path[k].x, path[k + 1].y - path[k].y};
    const float length = std::max(Length(d), 1e-6f);
    segmentNormals[k] = {-d.y / length, d.x / length};
  }

  std::vector<FloatPoint> left(n);
  std::vector<FloatPoint> right(n);
  for (size_t k = 0; k < n; ++k) {
    FloatPoint v;
    if (k == 0) {
      v = segmentNormals[0];
    } else if (k == n - 1) {
      v = segmentNormals[n - 2];
    } else {
      const FloatPoint nk = segmentNormals[k];
      const FloatPoint s{segmentNormals[k - 1].x + nk.x, segmentNormals[k - 1].y + nk.y};
      const float sLength = Length(s);
      if (sLength >= 1e-6f) {
        const FloatPoint unit{s.x / sLength, s.y / sLength};
        const float mitre = std::min(4.0f, 1.0f / std::max(1e-4f, unit.x * nk.x + unit.y * nk.y));
        v = {mitre * unit.x, mitre * unit.y};
      } else {
        v = nk;
      }
    }
    left[k] = {path[k].x + offset * v.x, path[k].y + offset * v.y};
    right[k] = {path[k].x - offset * v.x, path[k].y - offset * v.y};
  }

  for (size_t k = 1; k < n; ++k) {
    DrawRingCapsule(output, left[k - 1], left[k], radius, colour);
    DrawRingCapsule(output, right[k - 1], right[k], radius, colour);
  }
  if (roundCaps) {
    for (FloatPoint p : {left[0], right[0], left[n - 1], right[n - 1]}) DrawRingCapsule(output, p, p, radius, colour);
  } else {
    DrawRingCapsule(output, left[0], right[0], radius, colour);
    DrawRingCapsule(output, left[n - 1], right[n - 1], radius, colour);
  }
}
