// Shared builders of the skeleton tests: masks from rows of text or generated, and chains from coordinate lists.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/synthetic_text.h"
#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"

namespace test_masks {

// '.' and ' ' are background, any other character is set.
inline ByteMask MaskFromRows(const std::vector<std::string>& rows) {
  ByteMask mask = EmptyMask(rows.empty() ? 0 : static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) MaskSet(mask, x, y, rows[y][x] != '.' && rows[y][x] != ' ');
  }
  return mask;
}

// The mask as rows of text, '#' set and '.' clear: the inverse of MaskFromRows.
inline std::vector<std::string> RowsOf(const ByteMask& mask) {
  std::vector<std::string> rows(static_cast<size_t>(std::max(mask.height, 0)));
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) rows[static_cast<size_t>(y)] += MaskGet(mask, x, y) ? '#' : '.';
  }
  return rows;
}

// One-pixel runs from corner to corner, through each point in turn.
inline void DrawRun(ByteMask& mask, const std::vector<IntPoint>& corners) {
  for (size_t i = 1; i < corners.size(); ++i) {
    const IntPoint a = corners[i - 1], b = corners[i];
    const int32_t steps = std::max({std::abs(b.x - a.x), std::abs(b.y - a.y), 1});
    for (int32_t k = 0; k <= steps; ++k) {
      MaskSet(mask, a.x + static_cast<int32_t>(std::lround(double(b.x - a.x) * k / steps)),
              a.y + static_cast<int32_t>(std::lround(double(b.y - a.y) * k / steps)), 1);
    }
  }
}

// perKind masks of each kind: bold text (strokes, crossings, rings), text with blobs, noise. A tenth of the
// sides are 1 to 4 pixels.
inline std::vector<ByteMask> ManyMasks(int32_t perKind, uint32_t seed, int32_t maxSide = 200) {
  std::vector<ByteMask> masks;
  for (int32_t n = 0; n < 3 * perKind; ++n) {
    std::mt19937 rng(seed + static_cast<uint32_t>(n));
    auto side = [&] { return rng() % 10 == 0 ? 1 + int32_t(rng() % 4) : 5 + int32_t(rng() % uint32_t(maxSide - 4)); };
    const int32_t width = side(), height = side(), kind = n / perKind;
    const uint32_t glyph = 6 + rng() % uint32_t(std::max(1, std::min(width, height) - 12));
    ByteMask mask = synthetic_text::MakeTextMask(width, height, rng(), int32_t(std::min(glyph, 60u)));
    for (int32_t s = int32_t(rng() % 6); kind == 1 && s >= 0; --s) {
      const float radius = 0.5f + float(rng() % 100) * float(std::min(width, height)) * 0.003f;
      synthetic_text::StampDisc(mask, float(rng() % uint32_t(width)), float(rng() % uint32_t(height)), radius);
    }
    const uint32_t density = rng() % 50;
    for (uint8_t& cell : mask.cells) cell = kind == 2 ? rng() % 100 < density : cell;
    masks.push_back(std::move(mask));
  }
  return masks;
}

// Masks at the size limits of the fast stages: 1 to 3 pixels wide or high, sides around a multiple of 8 and 64,
// wider than 4096 pixels, and frames with ink along all four borders; text, blobs and noise of several densities.
inline std::vector<ByteMask> LimitMasks(uint32_t seed) {
  std::vector<ByteMask> masks;
  std::mt19937 rng(seed);
  auto noise = [&rng](ByteMask mask, uint32_t percent) {
    for (uint8_t& cell : mask.cells) cell = cell != 0 || rng() % 100 < percent;
    return mask;
  };
  for (int32_t thin = 1; thin <= 3; ++thin) {
    for (const uint32_t percent : {20u, 55u, 85u, 100u}) {
      masks.push_back(noise(EmptyMask(thin, 1 + int32_t(rng() % 150)), percent));
      masks.push_back(noise(EmptyMask(1 + int32_t(rng() % 150), thin), percent));
    }
  }
  for (const int32_t side : {7, 8, 9, 63, 64, 65}) {
    masks.push_back(noise(synthetic_text::MakeTextMask(side, 72 - side, rng(), 12), 3));
    masks.push_back(noise(EmptyMask(side, side), 45 + rng() % 50));
  }
  for (const int32_t width : {4097, 4160, 5003}) {
    masks.push_back(synthetic_text::MakeTextMask(width, 40, rng(), 22));
    masks.push_back(noise(EmptyMask(width, 3), 50 + rng() % 45));
  }
  for (int32_t n = 0; n < 8; ++n) {
    ByteMask framed = n % 2 == 0 ? synthetic_text::MakeTextMask(20 + int32_t(rng() % 90), 20 + int32_t(rng() % 90), rng(), 14)
                                 : noise(EmptyMask(4 + int32_t(rng() % 60), 4 + int32_t(rng() % 60)), 60);
    for (int32_t x = 0; x < framed.width; ++x) MaskSet(framed, x, 0, 1), MaskSet(framed, x, framed.height - 1, 1);
    for (int32_t y = 0; y < framed.height; ++y) MaskSet(framed, 0, y, 1), MaskSet(framed, framed.width - 1, y, 1);
    masks.push_back(framed);
  }
  ByteMask blob = EmptyMask(150, 130);
  synthetic_text::StampDisc(blob, 75.0f, 64.0f, 70.0f);
  masks.push_back(blob);
  return masks;
}

// The mask with every set cell given a value from 1 to 255 (0x80 and 0xFF among them), for stages that count any
// non-zero cell as set.
inline ByteMask WithLargeValues(ByteMask mask, uint32_t seed) {
  std::mt19937 rng(seed);
  const uint8_t values[] = {1, 2, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
  for (uint8_t& cell : mask.cells) cell = cell != 0 ? (rng() % 2 ? values[rng() % 7] : uint8_t(1 + rng() % 255)) : 0;
  return mask;
}

using PairList = std::vector<std::pair<int32_t, int32_t>>;

inline ChainRecord Chain(std::vector<IntPoint> points, bool closed = false) {
  return ChainRecord{std::move(points), {}, {}, {}, closed};
}

inline PairList Pairs(const std::vector<IntPoint>& points) {
  PairList pairs;
  for (IntPoint p : points) pairs.emplace_back(p.x, p.y);
  return pairs;
}
inline PairList Pairs(const ChainRecord& chain) { return Pairs(chain.points); }

inline bool SameChains(const std::vector<ChainRecord>& a, const std::vector<ChainRecord>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ChainRecord& p, const ChainRecord& q) {
    return p.closed == q.closed && Pairs(p) == Pairs(q);
  });
}

}  // namespace test_masks
