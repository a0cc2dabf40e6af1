#include "skeleton/chain_trace.h"

#include <cmath>
#include <cstddef>

#include "skeleton/portable_trig.h"
#include "skeleton/trace_walk.h"

namespace trace_walk {

const UnitSteps kUnitSteps = [] {
  UnitSteps steps;
  for (int32_t k = 0; k < 8; ++k) {
    const float dx = static_cast<float>(kNeighbourDx[k]);
    const float dy = static_cast<float>(kNeighbourDy[k]);
    const float length = std::sqrt(dx * dx + dy * dy);
    steps.step[k] = {dx / length, dy / length};
  }
  return steps;
}();

FloatPoint Normalised(FloatPoint p) {
  const float length = std::sqrt(p.x * p.x + p.y * p.y);
  if (length > 0.0f) return {p.x / length, p.y / length};
  return p;
}

FloatPoint PredictTurn(FloatPoint heading, const StepRing& ring) {
  const int32_t oldest = (ring.writeIndex - ring.count + kRingSize) % kRingSize;
  float crossSum = 0.0f;
  for (int32_t i = 0; i + 1 < ring.count; ++i) {
    const FloatPoint a = ring.steps[(oldest + i) % kRingSize];
    const FloatPoint b = ring.steps[(oldest + i + 1) % kRingSize];
    crossSum += a.x * b.y - a.y * b.x;
  }
  const float angle = crossSum / static_cast<float>(ring.count - 1);
  const float c = PortableCos(angle);
  const float s = PortableSin(angle);
  return Normalised({heading.x * c - heading.y * s, heading.x * s + heading.y * c});
}

}  // namespace trace_walk

namespace {

// Skeleton cells of the mask and the caller's visited bytes, both row-major
// with the mask's width.
struct VisitedGrid {
  const uint8_t* cells;
  uint8_t* visited;
  ptrdiff_t stride;

  bool Free(ptrdiff_t index) const { return cells[index] != 0 && visited[index] == 0; }
  void Take(ptrdiff_t index) { visited[index] = 1; }
};

}  // namespace

ChainRecord TraceChainFrom(const ByteMask& mask, int32_t x0, int32_t y0, std::vector<uint8_t>& visited,
                           uint8_t smart, float bias) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (x0 < 0 || y0 < 0 || x0 >= width || y0 >= height ||
      visited.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return {};
  }
  VisitedGrid grid{mask.cells.data(), visited.data(), static_cast<ptrdiff_t>(width)};
  return trace_walk::Walk(grid, width, height, x0, y0, smart, bias);
}

float PointDistance(IntPoint a, IntPoint b) {
  const float dx = static_cast<float>(a.x - b.x);
  const float dy = static_cast<float>(a.y - b.y);
  return std::sqrt(dx * dx + dy * dy);
}
