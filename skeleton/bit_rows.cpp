#include "skeleton/bit_rows.h"

#include <algorithm>

BitRows PackMaskRows(const ByteMask& mask) {
  BitRows rows;
  if (mask.width <= 0 || mask.height <= 0) return rows;
  const auto width = static_cast<size_t>(mask.width);
  rows.wordsPerRow = (width + 63) / 64;
  rows.words.assign(rows.wordsPerRow * static_cast<size_t>(mask.height), 0);
  for (size_t y = 0; y < static_cast<size_t>(mask.height); ++y) {
    const uint8_t* cells = mask.cells.data() + y * width;
    uint64_t* row = rows.words.data() + y * rows.wordsPerRow;
    size_t x = 0;
    for (; x + 64 <= width; x += 64) {
      uint64_t any[8];
      std::memcpy(any, cells + x, 64);
      // Most of a skeleton's stretches of 64 cells are empty.
      if ((any[0] | any[1] | any[2] | any[3] | any[4] | any[5] | any[6] | any[7]) == 0) continue;
      uint64_t bits = 0;
      for (size_t k = 0; k < 8; ++k) {
        if (any[k] != 0) bits |= NonZeroByteBits(cells + x + 8 * k) << (8 * k);
      }
      row[x / 64] = bits;
    }
    for (; x < width; ++x) row[x / 64] |= static_cast<uint64_t>(cells[x] != 0) << (x % 64);
  }
  return rows;
}

uint64_t RowBitsBetween(size_t word, int64_t lo, int64_t hi) {
  const auto first = static_cast<int64_t>(word) * 64;
  const int64_t from = std::max<int64_t>(lo - first, 0);
  const int64_t to = std::min<int64_t>(hi - first, 63);
  if (to < from) return 0;
  const uint64_t upTo = to == 63 ? ~uint64_t{0} : (uint64_t{2} << to) - 1;
  return upTo & ~((uint64_t{1} << from) - 1);
}
