// A mask as rows of bits, one bit per cell: bit x % 64 of word x / 64 of a
// row, rows wordsPerRow words apart. Pixel (x, y) has the bit index
// y * wordsPerRow * 64 + x.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "skeleton/byte_mask.h"

struct BitRows {
  std::vector<uint64_t> words;
  size_t wordsPerRow = 0;

  bool Test(ptrdiff_t bit) const { return ((words[static_cast<size_t>(bit) / 64] >> (bit % 64)) & 1u) != 0; }
  void Clear(ptrdiff_t bit) { words[static_cast<size_t>(bit) / 64] &= ~(uint64_t{1} << (bit % 64)); }
};

// Bit k set for every non-zero byte k of eight bytes in memory order.
inline uint64_t NonZeroByteBits(const uint8_t* bytes) {
  uint64_t v;
  std::memcpy(&v, bytes, 8);
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  // The high bit of each byte says whether the byte is non-zero; the multiply
  // gathers those eight bits, byte k into bit 56 + k, with no carries between.
  const uint64_t high = (((v & kLow7) + kLow7) | v) & kHigh;
  static_assert(std::endian::native == std::endian::little, "bytes are gathered in memory order");
  return ((high >> 7) * 0x0102040810204080ull) >> 56;
}

// One bit for every non-zero cell of the mask.
BitRows PackMaskRows(const ByteMask& mask);

// The bits of word `word` of a row whose cells x lie in lo ... hi.
uint64_t RowBitsBetween(size_t word, int64_t lo, int64_t hi);
