#include "overlay_export/chain_overlay_hit_test.h"

#include <algorithm>

int32_t FindChainAtPoint(const std::vector<std::vector<IntPoint>>& chains, FloatPoint click) {
  float best = kHitDistanceSquared;
  int32_t hit = -1;
  for (size_t index = 0; index < chains.size(); ++index) {
    const std::vector<IntPoint>& points = chains[index];
    for (size_t k = 1; k < points.size(); ++k) {
      const float ax = static_cast<float>(points[k - 1].x);
      const float ay = static_cast<float>(points[k - 1].y);
      const float dx = static_cast<float>(points[k].x) - ax;
      const float dy = static_cast<float>(points[k].y) - ay;
      const float lengthSquared = dx * dx + dy * dy;
      // A segment whose ends coincide measures the distance to its point.
      float t = lengthSquared > 1e-9f ? ((click.x - ax) * dx + (click.y - ay) * dy) / lengthSquared : 0.0f;
      t = std::clamp(t, 0.0f, 1.0f);
      const float ex = click.x - (ax + t * dx);
      const float ey = click.y - (ay + t * dy);
      const float distanceSquared = ex * ex + ey * ey;
      if (distanceSquared < best) {
        best = distanceSquared;
        hit = static_cast<int32_t>(index);
      }
    }
  }
  return hit;
}
