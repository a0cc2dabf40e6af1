#include "skeleton/tiled_mask.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "skeleton/bit_rows.h"

namespace {

// For every byte b, eight bytes in memory order: 0xFF where bit k of b is set.
constexpr std::array<uint64_t, 256> kByteMasks = [] {
  std::array<uint64_t, 256> masks{};
  for (uint32_t b = 0; b < 256; ++b) {
    for (uint32_t k = 0; k < 8; ++k) {
      if ((b >> k) & 1u) masks[b] |= 0xFFull << (8 * k);
    }
  }
  return masks;
}();

// Bits 0 ... 7 of a byte-wide span [lo, hi] within 0 ... 7 (empty when hi < lo).
uint64_t SpanBits(int64_t lo, int64_t hi) {
  lo = std::max<int64_t>(lo, 0);
  hi = std::min<int64_t>(hi, 7);
  if (hi < lo) return 0;
  return ((2ull << hi) - 1) & ~((1ull << lo) - 1);
}

}  // namespace

TiledMask TileMask(const ByteMask& mask) {
  TiledMask tiled;
  tiled.width = mask.width;
  tiled.height = mask.height;
  if (mask.width <= 0 || mask.height <= 0) return tiled;
  tiled.tileColumns = static_cast<int32_t>((static_cast<int64_t>(mask.width) + 7) / 8);
  tiled.tileRows = static_cast<int32_t>((static_cast<int64_t>(mask.height) + 7) / 8);
  tiled.tileStride = static_cast<size_t>(tiled.tileColumns) + 2;
  tiled.tiles.assign(tiled.tileStride * (static_cast<size_t>(tiled.tileRows) + 2), 0);
  const auto width = static_cast<size_t>(mask.width);
  const size_t wholeTiles = width / 8;
  for (int32_t y = 0; y < mask.height; ++y) {
    const uint8_t* cells = mask.Row(y);
    uint64_t* tiles = tiled.At(0, y / 8);
    const int32_t shift = 8 * (y % 8);
    for (size_t t = 0; t < wholeTiles; ++t) tiles[t] |= NonZeroByteBits(cells + 8 * t) << shift;
    for (size_t x = wholeTiles * 8; x < width; ++x) {
      tiles[wholeTiles] |= static_cast<uint64_t>(cells[x] != 0) << (shift + static_cast<int32_t>(x % 8));
    }
  }
  return tiled;
}

void ClearCellsGoneFromTiles(ByteMask& mask, const TiledMask& before, const TiledMask& after) {
  const auto width = static_cast<size_t>(mask.width);
  const auto tileColumns = static_cast<size_t>(before.tileColumns);
  std::vector<uint64_t> gone(tileColumns);
  // Row by row through the cells, so the writes stream through memory.
  for (int32_t ty = 0; ty < before.tileRows; ++ty) {
    const uint64_t* was = before.At(0, ty);
    const uint64_t* is = after.At(0, ty);
    uint64_t any = 0;
    for (size_t tx = 0; tx < tileColumns; ++tx) any |= gone[tx] = was[tx] & ~is[tx];
    if (any == 0) continue;
    const int32_t rows = std::min(8, mask.height - ty * 8);
    for (int32_t r = 0; r < rows; ++r) {
      uint8_t* cells = mask.cells.data() + (static_cast<size_t>(ty) * 8 + static_cast<size_t>(r)) * width;
      for (size_t tx = 0; tx < tileColumns; ++tx) {
        const auto bits = static_cast<uint32_t>((gone[tx] >> (8 * r)) & 0xFFu);
        if (bits == 0) continue;
        const size_t x = tx * 8;
        if (x + 8 <= width) {
          uint64_t eight;
          std::memcpy(&eight, cells + x, 8);
          eight &= ~kByteMasks[bits];
          std::memcpy(cells + x, &eight, 8);
        } else {
          for (uint32_t rest = bits; rest != 0; rest &= rest - 1) cells[x + static_cast<size_t>(std::countr_zero(rest))] = 0;
        }
      }
    }
  }
}

uint64_t TileBitsInside(int32_t tx, int32_t ty, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
  const int64_t x0 = static_cast<int64_t>(tx) * 8;
  const int64_t y0 = static_cast<int64_t>(ty) * 8;
  const uint64_t columns = SpanBits(static_cast<int64_t>(xMin) - x0, static_cast<int64_t>(xMax) - x0);
  const uint64_t rows = SpanBits(static_cast<int64_t>(yMin) - y0, static_cast<int64_t>(yMax) - y0);
  uint64_t bits = 0;
  for (int32_t r = 0; r < 8; ++r) {
    if ((rows >> r) & 1u) bits |= columns << (8 * r);
  }
  return bits;
}
