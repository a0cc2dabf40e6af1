#include "skeleton/polyline_simplify.h"

// Ramer-Douglas-Peucker: a run keeps its end points; the inner point farthest
// from the segment between them (distance to the segment, not to the infinite
// line, so a chain that doubles back keeps its turning point) is kept when it
// lies more than the tolerance away, and both halves are simplified the same
// way; otherwise every inner point goes. The tolerance of 2.5 pixels is about
// the wobble a traced pixel staircase shows along a straight or gently curved
// stroke, so the steps go and real bends stay.

#include <cmath>
#include <cstddef>
#include <utility>

#include "skeleton/index_at.h"

namespace {

struct FarthestPoint {
  int32_t index;
  float distance;
};

// The point strictly between first and last farthest from segment
// points[first]-points[last]; the earliest wins ties, and index stays first
// when every distance is 0.
FarthestPoint FindFarthestPoint(const std::vector<IntPoint>& points, int32_t first, int32_t last) {
  const float px = static_cast<float>(At(points, first).x);
  const float py = static_cast<float>(At(points, first).y);
  const float qx = static_cast<float>(At(points, last).x);
  const float qy = static_cast<float>(At(points, last).y);
  const float segX = qx - px;
  const float segY = qy - py;
  const float lengthSquared = segX * segX + segY * segY;
  FarthestPoint farthest{first, 0.0f};
  for (int32_t i = first + 1; i < last; ++i) {
    const float xx = static_cast<float>(At(points, i).x);
    const float xy = static_cast<float>(At(points, i).y);
    float distance;
    if (lengthSquared >= 1e-6f) {
      float t = ((xx - px) * segX + (xy - py) * segY) / lengthSquared;
      if (t < 0.0f) t = 0.0f;
      if (t > 1.0f) t = 1.0f;
      const float ex = xx - (px + t * segX);
      const float ey = xy - (py + t * segY);
      distance = std::sqrt(ex * ex + ey * ey);
    } else {
      const float ex = xx - px;
      const float ey = xy - py;
      distance = std::sqrt(ex * ex + ey * ey);
    }
    if (distance > farthest.distance) farthest = {i, distance};
  }
  return farthest;
}

}  // namespace

void MarkRdpKeptPoints(const std::vector<IntPoint>& points, int32_t first, int32_t last, float tolerance,
                     std::vector<bool>& keep) {
  std::vector<std::pair<int32_t, int32_t>> pending;
  pending.emplace_back(first, last);
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    if (to - from < 2) continue;
    const FarthestPoint farthest = FindFarthestPoint(points, from, to);
    // No point off the segment: with a tolerance below zero (or NaN) the
    // range would otherwise split at its own first point forever.
    if (farthest.index == from) continue;
    if (farthest.distance <= tolerance) continue;
    At(keep, farthest.index) = true;
    // Pushed right part first so the left part is processed first.
    pending.emplace_back(farthest.index, to);
    pending.emplace_back(from, farthest.index);
  }
}

ChainRecord SimplifyRdp(const ChainRecord& chain, float tolerance) {
  const size_t count = chain.points.size();
  if (count < 3) return chain;
  std::vector<bool> keep(count, false);
  keep.front() = true;
  keep.back() = true;
  MarkRdpKeptPoints(chain.points, 0, static_cast<int32_t>(count - 1), tolerance, keep);
  ChainRecord result;
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) kept += keep[i] ? 1 : 0;
  result.points.reserve(kept);
  for (size_t i = 0; i < count; ++i) {
    if (keep[i]) result.points.push_back(chain.points[i]);
  }
  result.closed = chain.closed;
  return result;
}
