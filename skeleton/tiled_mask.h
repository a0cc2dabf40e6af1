// A ByteMask packed one bit per pixel into tiles of 8 x 8 pixels, one 64-bit
// word per tile, so that a stage can decide 64 neighbouring pixels at once
// and skip whole tiles. Bit 8r + c of a tile is its pixel in row r, column c.
// A ring of empty tiles surrounds the mask, so the eight tiles around any
// tile of the mask can be read without bounds checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"

struct TiledMask {
  std::vector<uint64_t> tiles;  // (tileRows + 2) rows of (tileColumns + 2) tiles, the ring included
  int32_t width = 0;
  int32_t height = 0;
  int32_t tileColumns = 0;  // tiles across the mask
  int32_t tileRows = 0;     // tiles down the mask
  size_t tileStride = 2;    // tiles in a stored row, the ring included

  // Tile (tx, ty) of the mask; tx and ty may be -1 or one past the last, the ring.
  uint64_t* At(int32_t tx, int32_t ty) {
    return tiles.data() + static_cast<size_t>(ty + 1) * tileStride + static_cast<size_t>(tx + 1);
  }
  const uint64_t* At(int32_t tx, int32_t ty) const {
    return tiles.data() + static_cast<size_t>(ty + 1) * tileStride + static_cast<size_t>(tx + 1);
  }
};

// One bit for every non-zero cell; bits of tiles beyond the mask's edges stay 0.
TiledMask TileMask(const ByteMask& mask);

// Sets to 0 every cell of the mask whose bit is set in before and clear in after
// (two tilings of the mask's size).
void ClearCellsGoneFromTiles(ByteMask& mask, const TiledMask& before, const TiledMask& after);

// Bits of a tile at the given tile row and column whose pixels lie inside the
// rectangle xMin ... xMax, yMin ... yMax.
uint64_t TileBitsInside(int32_t tx, int32_t ty, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);

// Each pixel's neighbour on one side, in the pixel's own bit: bit (r, c) of
// NorthNeighbours is the pixel at (r - 1, c), taken from the tile above for
// row 0; likewise for the other sides.
inline uint64_t NorthNeighbours(uint64_t tile, uint64_t above) { return (tile << 8) | (above >> 56); }
inline uint64_t SouthNeighbours(uint64_t tile, uint64_t below) { return (tile >> 8) | (below << 56); }
inline uint64_t EastNeighbours(uint64_t tile, uint64_t right) {
  constexpr uint64_t kLastColumn = 0x8080808080808080ull;
  return ((tile >> 1) & ~kLastColumn) | ((right << 7) & kLastColumn);
}
inline uint64_t WestNeighbours(uint64_t tile, uint64_t left) {
  constexpr uint64_t kFirstColumn = 0x0101010101010101ull;
  return ((tile << 1) & ~kFirstColumn) | ((left >> 7) & kFirstColumn);
}
