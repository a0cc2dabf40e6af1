#include "skeleton/byte_mask.h"

#include <algorithm>

ByteMask EmptyMask(int32_t width, int32_t height) {
  ByteMask mask;
  mask.width = std::max(width, 0);
  mask.height = std::max(height, 0);
  mask.cells.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
  return mask;
}

int32_t NeighbourSum(const ByteMask& mask, int32_t x, int32_t y) {
  int32_t sum = 0;
  for (int32_t k = 0; k < 8; ++k) sum += MaskGet(mask, x + kNeighbourDx[k], y + kNeighbourDy[k]);
  return sum;
}

int32_t NeighbourCount(const ByteMask& mask, int32_t x, int32_t y) {
  int32_t degree = 0;
  for (int32_t k = 0; k < 8; ++k) {
    if (MaskGet(mask, x + kNeighbourDx[k], y + kNeighbourDy[k]) != 0) ++degree;
  }
  return degree;
}
