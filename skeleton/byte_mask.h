// The binarised layer: one byte per pixel, 1 = ink, 0 = background.
#pragma once

#include <cstdint>
#include <vector>

struct ByteMask {
  std::vector<uint8_t> cells;  // row-major, cell of (x, y) at y * width + x
  int32_t width = 0;
  int32_t height = 0;
};

// Bounds-checked access: outside cells read as 0 and ignore writes.
uint8_t MaskGet(const ByteMask& mask, int32_t x, int32_t y);
void MaskSet(ByteMask& mask, int32_t x, int32_t y, uint8_t value);

// Sum of the eight neighbour values (outside cells give 0).
int32_t CountNeighbours(const ByteMask& mask, int32_t x, int32_t y);

// Number of non-zero neighbour cells inside the mask, visited N, NE, E, SE,
// S, SW, W, NW.
int32_t SkeletonPixelDegree(const ByteMask& mask, int32_t x, int32_t y);
