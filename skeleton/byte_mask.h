// The grid every mask stage works on: one byte per pixel, row-major, 1 = ink
// and 0 = background (the stages that count neighbours count any non-zero
// cell as set). Its index helper and the table of the eight neighbours are
// the only ones: every stage walks the grid through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Index of cell (x, y) in a row-major grid `width` cells wide; x and y must
// not be negative.
inline size_t GridIndex(int32_t width, int32_t x, int32_t y) {
  return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

struct ByteMask {
  std::vector<uint8_t> cells;  // row-major, cell of (x, y) at y * width + x
  int32_t width = 0;
  int32_t height = 0;

  bool Contains(int32_t x, int32_t y) const { return x >= 0 && x < width && y >= 0 && y < height; }
  size_t Index(int32_t x, int32_t y) const { return GridIndex(width, x, y); }
  uint8_t* Row(int32_t y) { return cells.data() + Index(0, y); }
  const uint8_t* Row(int32_t y) const { return cells.data() + Index(0, y); }
};

// A mask of the given size with every cell 0; a negative size counts as 0.
ByteMask EmptyMask(int32_t width, int32_t height);

// The eight neighbours in ring order N, NE, E, SE, S, SW, W, NW (y grows
// downward): neighbour k of (x, y) is (x + kNeighbourDx[k], y + kNeighbourDy[k]),
// and bit k of a neighbour code is that neighbour's cell, bit 0 = N.
constexpr int32_t kNeighbourDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kNeighbourDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// Bounds-checked access: outside cells read as 0 and ignore writes.
inline uint8_t MaskGet(const ByteMask& mask, int32_t x, int32_t y) {
  return mask.Contains(x, y) ? mask.cells[mask.Index(x, y)] : uint8_t{0};
}
inline void MaskSet(ByteMask& mask, int32_t x, int32_t y, uint8_t value) {
  if (mask.Contains(x, y)) mask.cells[mask.Index(x, y)] = value;
}

// Sum of the eight neighbour values (outside cells give 0).
int32_t NeighbourSum(const ByteMask& mask, int32_t x, int32_t y);

// Number of non-zero neighbour cells inside the mask, visited N, NE, E, SE,
// S, SW, W, NW.
int32_t NeighbourCount(const ByteMask& mask, int32_t x, int32_t y);
