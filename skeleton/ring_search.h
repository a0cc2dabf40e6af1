// The nearest cell around a centre that passes a test, searched ring by ring:
// ring r is the border of the square of cells at most r away on both axes.
// Within the first ring that holds one, the cell of the smallest squared
// distance wins, the first in row order on a tie; outer rings are not looked
// at, so a nearer cell in a later ring's corner loses to it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "skeleton/points.h"

// accept(x, y) says whether a cell qualifies; it is asked about cells outside
// the mask too. False when no ring up to maxRadius holds one.
template <typename Accept>
bool FindNearestInRings(IntPoint centre, int32_t maxRadius, Accept&& accept, IntPoint& found) {
  for (int32_t r = 0; r <= maxRadius; ++r) {
    int32_t best = std::numeric_limits<int32_t>::max();
    for (int32_t dy = -r; dy <= r; ++dy) {
      for (int32_t dx = -r; dx <= r; ++dx) {
        if (std::abs(dx) != r && std::abs(dy) != r) continue;
        const int32_t distance = dx * dx + dy * dy;
        if (distance >= best || !accept(centre.x + dx, centre.y + dy)) continue;
        best = distance;
        found = IntPoint{centre.x + dx, centre.y + dy};
      }
    }
    if (best != std::numeric_limits<int32_t>::max()) return true;
  }
  return false;
}
