// Scanning one row of mask cells: jumping to the next set or clear cell, and
// the neighbours of a pixel whose eight neighbours all lie inside the mask.
// Skeletons and text leave most cells empty, so empty stretches are skipped
// 32 and then eight cells at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Index of the first non-zero cell of row at or after x, or end when none
// lies before end.
inline int32_t NextSetCell(const uint8_t* row, int32_t x, int32_t end) {
  for (; x + 32 <= end; x += 32) {
    uint64_t eight[4];
    std::memcpy(eight, row + x, 32);
    if ((eight[0] | eight[1] | eight[2] | eight[3]) != 0) break;
  }
  for (; x + 8 <= end; x += 8) {
    uint64_t eight;
    std::memcpy(&eight, row + x, 8);
    if (eight != 0) break;
  }
  while (x < end && row[x] == 0) ++x;
  return x;
}

// Index of the first zero cell of row at or after x, or end.
inline int32_t NextClearCell(const uint8_t* row, int32_t x, int32_t end) {
  while (x < end && row[x] != 0) ++x;
  return x;
}

// The number of non-zero neighbours of cell x of row; rows lie stride apart.
inline int32_t InteriorNeighbourCount(const uint8_t* row, size_t stride, int32_t x) {
  const uint8_t* above = row - stride;
  const uint8_t* below = row + stride;
  return (above[x - 1] != 0) + (above[x] != 0) + (above[x + 1] != 0) + (row[x - 1] != 0) + (row[x + 1] != 0) +
         (below[x - 1] != 0) + (below[x] != 0) + (below[x + 1] != 0);
}

// The sum of the eight neighbour values of cell x of row.
inline int32_t InteriorNeighbourSum(const uint8_t* row, size_t stride, int32_t x) {
  const uint8_t* above = row - stride;
  const uint8_t* below = row + stride;
  return above[x - 1] + above[x] + above[x + 1] + row[x - 1] + row[x + 1] + below[x - 1] + below[x] + below[x + 1];
}
