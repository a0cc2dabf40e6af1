#include "skeleton/byte_mask.h"

#include <cstddef>

namespace {

constexpr int32_t kNeighbourDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kNeighbourDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

bool InsideMask(const ByteMask& mask, int32_t x, int32_t y) {
  return x >= 0 && x < mask.width && y >= 0 && y < mask.height;
}

size_t CellIndex(const ByteMask& mask, int32_t x, int32_t y) {
  return static_cast<size_t>(y) * static_cast<size_t>(mask.width) + static_cast<size_t>(x);
}

}  // namespace

uint8_t MaskGet(const ByteMask& mask, int32_t x, int32_t y) {
  if (!InsideMask(mask, x, y)) return 0;
  return mask.cells[CellIndex(mask, x, y)];
}

void MaskSet(ByteMask& mask, int32_t x, int32_t y, uint8_t value) {
  if (!InsideMask(mask, x, y)) return;
  mask.cells[CellIndex(mask, x, y)] = value;
}

int32_t CountNeighbours(const ByteMask& mask, int32_t x, int32_t y) {
  int32_t sum = 0;
  for (int32_t k = 0; k < 8; ++k) sum += MaskGet(mask, x + kNeighbourDx[k], y + kNeighbourDy[k]);
  return sum;
}

int32_t SkeletonPixelDegree(const ByteMask& mask, int32_t x, int32_t y) {
  int32_t degree = 0;
  for (int32_t k = 0; k < 8; ++k) {
    if (MaskGet(mask, x + kNeighbourDx[k], y + kNeighbourDy[k]) != 0) ++degree;
  }
  return degree;
}
