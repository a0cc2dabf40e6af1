#include "skeleton/thinning.h"

#include <gtest/gtest.h>

#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::EmptyMask;
using test_masks::MaskFromRows;

// The published Zhang-Suen deletion test, evaluated per pixel without tables.
// P2 = N, P3 = NE, P4 = E, ... P9 = NW.
bool ZhangSuenDeletes(const ByteMask& mask, int32_t x, int32_t y, int32_t step) {
  const int32_t p2 = MaskGet(mask, x, y - 1) != 0, p3 = MaskGet(mask, x + 1, y - 1) != 0;
  const int32_t p4 = MaskGet(mask, x + 1, y) != 0, p5 = MaskGet(mask, x + 1, y + 1) != 0;
  const int32_t p6 = MaskGet(mask, x, y + 1) != 0, p7 = MaskGet(mask, x - 1, y + 1) != 0;
  const int32_t p8 = MaskGet(mask, x - 1, y) != 0, p9 = MaskGet(mask, x - 1, y - 1) != 0;
  const int32_t ring[9] = {p2, p3, p4, p5, p6, p7, p8, p9, p2};
  const int32_t b = p2 + p3 + p4 + p5 + p6 + p7 + p8 + p9;
  int32_t a = 0;
  for (int32_t k = 0; k < 8; ++k) a += (ring[k] == 0 && ring[k + 1] == 1) ? 1 : 0;
  if (b < 2 || b > 6 || a != 1) return false;
  if (step == 1) return p2 * p4 * p6 == 0 && p4 * p6 * p8 == 0;
  return p2 * p4 * p8 == 0 && p2 * p6 * p8 == 0;
}

bool ReferenceSubIteration(ByteMask& mask, int32_t step) {
  std::vector<size_t> doomed;
  for (int32_t y = 1; y + 1 < mask.height; ++y) {
    for (int32_t x = 1; x + 1 < mask.width; ++x) {
      if (MaskGet(mask, x, y) != 0 && ZhangSuenDeletes(mask, x, y, step)) {
        doomed.push_back(static_cast<size_t>(y) * mask.width + x);
      }
    }
  }
  for (size_t index : doomed) mask.cells[index] = 0;
  return !doomed.empty();
}

void ReferenceThin(ByteMask& mask) {
  if (mask.width < 3 || mask.height < 3) return;
  bool changed = true;
  while (changed) {
    changed = ReferenceSubIteration(mask, 1);
    changed = ReferenceSubIteration(mask, 2) || changed;
  }
}

bool SameBorder(const ByteMask& a, const ByteMask& b) {
  for (int32_t y = 0; y < a.height; ++y) {
    for (int32_t x = 0; x < a.width; ++x) {
      const bool border = x == 0 || y == 0 || x == a.width - 1 || y == a.height - 1;
      if (border && MaskGet(a, x, y) != MaskGet(b, x, y)) return false;
    }
  }
  return true;
}

TEST(ThinningTables, HoldTheZhangSuenDeletionSets) {
  const ThinningTables& tables = LoadedThinningTables();
  int32_t firstCount = 0, secondCount = 0;
  for (int32_t code = 0; code < 256; ++code) {
    firstCount += tables.first[code];
    secondCount += tables.second[code];
  }
  EXPECT_EQ(firstCount, 34);
  EXPECT_EQ(secondCount, 34);
  for (int32_t corner : {7, 28, 112, 193}) {
    EXPECT_EQ(tables.first[corner], 1) << corner;
    EXPECT_EQ(tables.second[corner], 1) << corner;
  }
  ThinningTables rebuilt;
  BuildThinningTables(rebuilt);
  EXPECT_EQ(rebuilt.first, tables.first);
  EXPECT_EQ(rebuilt.second, tables.second);
}

TEST(ThinZhangSuen, MatchesPlainPerPixelEvaluationOnGeneratedMasks) {
  for (const ByteMask& original : test_masks::ManyMasks(40, 1000)) {
    ByteMask thinned = original;
    ThinZhangSuen(thinned);
    ByteMask reference = original;
    ReferenceThin(reference);
    ASSERT_EQ(thinned.cells, reference.cells) << original.width << "x" << original.height;
    EXPECT_TRUE(SameBorder(thinned, original));
    // A fixed point: one more pass of either sub-iteration deletes nothing.
    ByteMask again = thinned;
    EXPECT_FALSE(ReferenceSubIteration(again, 1));
    EXPECT_FALSE(ReferenceSubIteration(again, 2));
  }
}

TEST(ThinZhangSuen, LeavesTinyMasksAndIsolatedShapesAsExpected) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 5}, {5, 2}, {2, 2}}) {
    ByteMask mask = EmptyMask(w, h);
    std::fill(mask.cells.begin(), mask.cells.end(), uint8_t{1});
    const ByteMask before = mask;
    ThinZhangSuen(mask);
    EXPECT_EQ(mask.cells, before.cells);
    TrimEndPixels(mask, 3);
    EXPECT_EQ(mask.cells, before.cells);
  }
  // A free 2x2 block vanishes; a lone pixel and a straight line survive.
  ByteMask block = MaskFromRows({"......", "......", "..##..", "..##..", "......", "......"});
  ThinZhangSuen(block);
  EXPECT_EQ(block.cells, EmptyMask(6, 6).cells);
  ByteMask line = MaskFromRows({".........", ".#######.", "........."});
  ByteMask lone = MaskFromRows({"...", ".#.", "..."});
  const ByteMask lineBefore = line, loneBefore = lone;
  ThinZhangSuen(line);
  ThinZhangSuen(lone);
  EXPECT_EQ(line.cells, lineBefore.cells);
  EXPECT_EQ(lone.cells, loneBefore.cells);
}

TEST(TrimEndPixels, ShortensOpenBranchesOneLayerPerIteration) {
  ByteMask line = MaskFromRows({".........", ".#######.", "........."});
  TrimEndPixels(line, 0);
  EXPECT_EQ(line.cells, MaskFromRows({".........", ".#######.", "........."}).cells);
  TrimEndPixels(line, 1);
  EXPECT_EQ(line.cells, MaskFromRows({".........", "..#####..", "........."}).cells);
  TrimEndPixels(line, 2);
  EXPECT_EQ(line.cells, MaskFromRows({".........", "....#....", "........."}).cells);
  TrimEndPixels(line, 5);
  EXPECT_EQ(line.cells, EmptyMask(9, 3).cells);

  ByteMask segment = MaskFromRows({"....", ".##.", "...."});
  TrimEndPixels(segment, 1);
  EXPECT_EQ(segment.cells, EmptyMask(4, 3).cells);

  // A closed loop has no ends and stays; border pixels are never removed.
  const ByteMask loop = MaskFromRows({".....", ".###.", ".#.#.", ".###.", "....."});
  ByteMask trimmed = loop;
  TrimEndPixels(trimmed, 4);
  EXPECT_EQ(trimmed.cells, loop.cells);
  ByteMask border = MaskFromRows({"#....", ".....", "....#"});
  const ByteMask borderBefore = border;
  TrimEndPixels(border, 2);
  ThinZhangSuen(border);
  EXPECT_EQ(border.cells, borderBefore.cells);
}

TEST(MaskAccess, ReadsOutsideAsZeroAndCountsOnlyInsideNeighbours) {
  ByteMask mask = EmptyMask(3, 2);
  std::fill(mask.cells.begin(), mask.cells.end(), uint8_t{1});
  EXPECT_EQ(MaskGet(mask, -1, 0), 0);
  EXPECT_EQ(MaskGet(mask, 3, 0), 0);
  EXPECT_EQ(MaskGet(mask, 0, -1), 0);
  EXPECT_EQ(MaskGet(mask, 0, 2), 0);
  MaskSet(mask, 3, 0, 7);
  MaskSet(mask, 0, 2, 7);
  MaskSet(mask, -1, -1, 7);
  EXPECT_EQ(mask.cells, std::vector<uint8_t>(6, 1));
  MaskSet(mask, 2, 1, 0);
  EXPECT_EQ(mask.cells[5], 0);
  EXPECT_EQ(CountNeighbours(mask, 0, 0), 3);
  EXPECT_EQ(SkeletonPixelDegree(mask, 0, 0), 3);
  // The sum counts values, the degree counts non-zero cells.
  mask.cells[1] = 5;
  EXPECT_EQ(CountNeighbours(mask, 0, 0), 7);
  EXPECT_EQ(SkeletonPixelDegree(mask, 0, 0), 3);
  EXPECT_EQ(SkeletonPixelDegree(mask, 2, 1), 3);
}

}  // namespace
