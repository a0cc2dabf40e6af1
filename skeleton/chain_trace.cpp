#include "skeleton/chain_trace.h"

#include <cstddef>

#include "skeleton/trace_walk.h"
#include "skeleton/turn_prediction.h"

namespace trace_walk {

const UnitSteps kUnitSteps = [] {
  UnitSteps steps;
  for (int32_t k = 0; k < 8; ++k) steps.step[k] = UnitStep(IntPoint{0, 0}, IntPoint{kNeighbourDx[k], kNeighbourDy[k]});
  return steps;
}();

FloatPoint PredictTurn(FloatPoint heading, const StepRing& ring) {
  const int32_t oldest = (ring.writeIndex - ring.count + kRingSize) % kRingSize;
  FloatPoint steps[kRingSize];
  for (int32_t i = 0; i < ring.count; ++i) steps[i] = ring.steps[(oldest + i) % kRingSize];
  return ::PredictTurn(heading, steps, ring.count);
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
                           JunctionTracing tracing) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (x0 < 0 || y0 < 0 || x0 >= width || y0 >= height ||
      visited.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return {};
  }
  VisitedGrid grid{mask.cells.data(), visited.data(), static_cast<ptrdiff_t>(width)};
  return trace_walk::Walk(grid, width, height, x0, y0, tracing);
}
