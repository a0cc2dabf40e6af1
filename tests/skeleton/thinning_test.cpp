#include "skeleton/thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::MaskFromRows;

// One Zhang-Suen sub-iteration (step 1 or 2) evaluated pixel by pixel from the published conditions, without tables;
// border pixels are never candidates. Returns whether anything was deleted.
bool ReferenceSubIteration(ByteMask& mask, int32_t step) {
  std::vector<size_t> doomed;
  for (int32_t y = 1; y + 1 < mask.height; ++y) {
    for (int32_t x = 1; x + 1 < mask.width; ++x) {
      if (!MaskGet(mask, x, y)) continue;
      // P2 = N, P3 = NE, ... P9 = NW, and P2 again to close the circle.
      const int32_t p[9] = {MaskGet(mask, x, y - 1),     MaskGet(mask, x + 1, y - 1), MaskGet(mask, x + 1, y),
                            MaskGet(mask, x + 1, y + 1), MaskGet(mask, x, y + 1),     MaskGet(mask, x - 1, y + 1),
                            MaskGet(mask, x - 1, y),     MaskGet(mask, x - 1, y - 1), MaskGet(mask, x, y - 1)};
      int32_t b = 0, a = 0;
      for (int32_t k = 0; k < 8; ++k) b += p[k], a += p[k] == 0 && p[k + 1] == 1;
      const bool third = step == 1 ? p[0] * p[2] * p[4] == 0 : p[0] * p[2] * p[6] == 0;
      const bool fourth = step == 1 ? p[2] * p[4] * p[6] == 0 : p[0] * p[4] * p[6] == 0;
      if (b >= 2 && b <= 6 && a == 1 && third && fourth) doomed.push_back(static_cast<size_t>(y) * mask.width + x);
    }
  }
  for (size_t index : doomed) mask.cells[index] = 0;
  return !doomed.empty();
}

// A small shape in its eight orientations, at each of the 64 positions modulo 8 in a 24 x 24 mask. In one
// orientation and position or another each pixel that only a diagonal deletion frees sits across a corner of the 8 x
// 8 tiles the thinning decides in, from every side.
std::vector<ByteMask> ShapesAtEveryTileOffset() {
  const std::vector<std::string> shape = {"...#....", "..##.###", ".#####..", "#..###..", "...#.#..", "....#..."};
  std::vector<ByteMask> masks;
  for (int32_t orientation = 0; orientation < 8; ++orientation) {
    for (int32_t offset = 0; offset < 64; ++offset) {
      ByteMask mask = EmptyMask(24, 24);
      for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
          int32_t px = orientation & 1 ? 7 - x : x, py = orientation & 2 ? 5 - y : y;
          if (orientation & 4) std::swap(px, py);
          if (shape[y][x] == '#') MaskSet(mask, px + 4 + offset % 8, py + 4 + offset / 8, 1);
        }
      }
      masks.push_back(mask);
    }
  }
  return masks;
}

// Every neighbour code once around a set pixel, the 256 neighbourhoods a gap apart, shifted so that they straddle
// tile edges in each of four ways.
std::vector<ByteMask> EveryNeighbourhood() {
  std::vector<ByteMask> masks;
  for (int32_t shift = 0; shift < 4; ++shift) {
    ByteMask mask = EmptyMask(70, 70);
    for (int32_t code = 0; code < 256; ++code) {
      const int32_t cx = 3 + shift + 4 * (code % 16), cy = 3 + shift + 4 * (code / 16);
      MaskSet(mask, cx, cy, 1);
      const int32_t dx[8] = {0, 1, 1, 1, 0, -1, -1, -1}, dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};  // N, NE, ... NW
      for (int32_t k = 0; k < 8; ++k) {
        if ((code >> k) & 1) MaskSet(mask, cx + dx[k], cy + dy[k], 1);
      }
    }
    masks.push_back(mask);
  }
  return masks;
}

// Equal to the plain thinning, so the border never changes; and a fixed point. The limit masks put strokes across
// tile edges, onto the border and along masks too narrow for any interior.
TEST(ThinZhangSuen, MatchesPlainPerPixelEvaluationOnGeneratedMasks) {
  std::vector<ByteMask> masks = test_masks::ManyMasks(60, 1000);
  for (ByteMask& mask : test_masks::LimitMasks(1001)) masks.push_back(std::move(mask));
  for (ByteMask& mask : ShapesAtEveryTileOffset()) masks.push_back(std::move(mask));
  for (ByteMask& mask : EveryNeighbourhood()) masks.push_back(std::move(mask));
  for (const ByteMask& original : masks) {
    ByteMask thinned = original;
    ThinZhangSuen(thinned);
    ByteMask reference = original;
    while (ReferenceSubIteration(reference, 1) | ReferenceSubIteration(reference, 2)) {
    }
    ASSERT_EQ(thinned.cells, reference.cells) << original.width << "x" << original.height;
    EXPECT_FALSE(ReferenceSubIteration(thinned, 1) || ReferenceSubIteration(thinned, 2));
  }
}

// Any non-zero cell counts as set; a cell that stays keeps its value.
TEST(ThinZhangSuen, CountsAnyNonZeroCellAsSet) {
  for (const ByteMask& mask : test_masks::ManyMasks(6, 1200)) {
    ByteMask valued = test_masks::WithLargeValues(mask, 1201), thinned = mask;
    const ByteMask before = valued;
    ThinZhangSuen(valued);
    ThinZhangSuen(thinned);
    for (size_t i = 0; i < mask.cells.size(); ++i) ASSERT_EQ(valued.cells[i], thinned.cells[i] ? before.cells[i] : 0) << i;
  }
}

// Plain trimming: a mark buffer filled from bounds-checked neighbour sums, then cleared marks.
void PlainTrim(ByteMask& mask, int32_t iterations) {
  for (int32_t i = 0; i < iterations && mask.height >= 3; ++i) {
    std::vector<uint8_t> marks(mask.cells.size(), 0);
    for (int32_t y = 1; y + 1 < mask.height; ++y) {
      for (int32_t x = 1; x + 1 < mask.width; ++x) marks[y * mask.width + x] = MaskGet(mask, x, y) && NeighbourSum(mask, x, y) < 2;
    }
    if (std::count(marks.begin(), marks.end(), 1) == 0) return;
    for (size_t c = 0; c < marks.size(); ++c) mask.cells[c] = marks[c] ? 0 : mask.cells[c];
  }
}

// Skeletons and whole masks, some cells holding values above 1 (their sums count as they stand).
TEST(TrimEndPixels, MatchesPlainTrimmingOnGeneratedMasks) {
  std::vector<ByteMask> masks = test_masks::ManyMasks(20, 1100);
  for (ByteMask& mask : test_masks::LimitMasks(1101)) masks.push_back(std::move(mask));
  std::mt19937 rng(1102);
  for (size_t m = 0, count = masks.size(); m < count; ++m) {
    ByteMask skeleton = masks[m];
    ThinZhangSuen(skeleton);
    if (m % 4 == 0) {
      for (uint8_t& cell : skeleton.cells) cell = cell && rng() % 8 == 0 ? uint8_t(2 + rng() % 254) : cell;
    }
    masks.push_back(skeleton);
  }
  for (size_t m = 0; m < masks.size(); ++m) {
    ByteMask trimmed = masks[m], plain = masks[m];
    TrimEndPixels(trimmed, int32_t(m % 7) - 1);
    PlainTrim(plain, int32_t(m % 7) - 1);
    ASSERT_EQ(trimmed.cells, plain.cells) << masks[m].width << "x" << masks[m].height;
  }
}

TEST(TrimEndPixels, RemovesOneLayerOfEndsPerIterationAndSparesLoopsAndBorders) {
  ByteMask line = MaskFromRows({".........", ".#######.", "........."});
  for (const auto& [times, row] : {std::pair{0, ".#######."}, {1, "..#####.."}, {2, "....#...."}, {5, "........."}}) {
    TrimEndPixels(line, times);
    EXPECT_EQ(line.cells, MaskFromRows({".........", row, "........."}).cells) << times;
  }
  const ByteMask loop = MaskFromRows({"#....", ".###.", ".#.#.", ".###.", "....#"});
  ByteMask trimmed = loop;
  TrimEndPixels(trimmed, 4);
  EXPECT_EQ(trimmed.cells, loop.cells);
}

}  // namespace
