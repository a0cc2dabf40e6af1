// Following a one-pixel run of the skeleton: from each pixel on to a set
// neighbour other than the pixel just left. On a run that neighbour is the
// only one; where the run forks or meets a junction, the order in which the
// neighbours are asked decides, and each walker asks in its own order.
#pragma once

#include <cstdint>

#include "skeleton/byte_mask.h"
#include "skeleton/points.h"

// The eight neighbour offsets in the order a walker asks them.
struct NeighbourOrder {
  const int32_t* dx;
  const int32_t* dy;
};

// Ring order N, NE, E, SE, S, SW, W, NW (byte_mask.h).
constexpr NeighbourOrder kRingOrder = {kNeighbourDx, kNeighbourDy};

// The raster order (top row first, left to right) read backwards: asking in
// it finds the last set neighbour a raster scan would find.
constexpr int32_t kRasterBackwardsDx[8] = {1, 0, -1, 1, -1, 1, 0, -1};
constexpr int32_t kRasterBackwardsDy[8] = {1, 1, 1, 0, 0, -1, -1, -1};
constexpr NeighbourOrder kRasterOrderBackwards = {kRasterBackwardsDx, kRasterBackwardsDy};

inline bool AnyPixel(IntPoint) { return true; }

// From `current`, entered from `previous` ((-1, -1) at a start), steps on to
// the first neighbour in `order` that is set, is not `previous` and that
// mayEnter(pixel) admits, and calls arrive(from, to) for the step; goes on
// while arrive returns true and a next pixel is found.
template <typename MayEnter, typename Arrive>
void FollowRun(const ByteMask& mask, const NeighbourOrder& order, IntPoint previous, IntPoint current,
               MayEnter&& mayEnter, Arrive&& arrive) {
  for (;;) {
    bool found = false;
    IntPoint next{};
    for (int32_t k = 0; k < 8 && !found; ++k) {
      next = IntPoint{current.x + order.dx[k], current.y + order.dy[k]};
      found = MaskGet(mask, next.x, next.y) != 0 && !PointsEqual(next, previous) && mayEnter(next);
    }
    if (!found || !arrive(current, next)) return;
    previous = current;
    current = next;
  }
}
