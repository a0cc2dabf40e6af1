// The closing, the corner pass, small shapes and spur removal on small masks
// drawn as text, and against the plain reference on many generated masks.
#include "skeleton/skeleton_cleanup.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "skeleton/mask_closing.h"
#include "skeleton/spur_removal.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/plain_skeleton_cleanup.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::MaskFromRows;
using test_masks::RowsOf;

TEST(MaskClosing, KeepsCellsTwoPixelsInsideTheBorderFillsHolesAndBridgesGaps) {
  for (auto [w, h] : {std::pair{8, 7}, {2, 9}, {9, 2}, {1, 1}, {0, 5}, {3, 3}, {5, 5}}) {
    ByteMask mask{std::vector<uint8_t>(w * h, 1), w, h};
    CloseMask3x3(mask);
    ASSERT_EQ(mask.cells.size(), static_cast<size_t>(w * h));
    for (int32_t i = 0; i < w * h; ++i) {
      const int32_t x = i % w, y = i / w;
      EXPECT_EQ(MaskGet(mask, x, y), x >= 2 && x < w - 2 && y >= 2 && y < h - 2) << w << "x" << h;
    }
  }
  ByteMask mask = MaskFromRows({".............", ".............", "..####.###...", "..#.##.###...",
                                "..####.###...", ".............", "............."});
  CloseMask3x3(mask);
  std::vector<std::string> expected(7, ".............");
  expected[2] = expected[3] = expected[4] = "..########...";
  EXPECT_EQ(RowsOf(mask), expected);
}

TEST(SkeletonCleanUp, CornerPassClearsOnlyCornersWithOneTransitionAndSmallPiecesGo) {
  // A lone 2x2 block loses its lower-right pixel; with diagonal arms (two transitions) nothing goes.
  const std::vector<std::string> arms = {".......", ".#.....", "..##...", "..##...", "....#..", "......."};
  for (auto [rows, expected] : {std::pair{std::vector<std::string>{".....", ".##..", ".##..", "....."},
                                          std::vector<std::string>{".....", ".##..", ".#...", "....."}},
                                {arms, arms},
                                // The centre of a 3x3 block (no transition) stays; its right neighbour goes,
                                // which gives the pixel below the centre a second transition.
                                {{".....", ".###.", ".###.", ".###.", "....."},
                                 {".....", ".###.", ".##..", ".###.", "....."}}}) {
    ByteMask mask = MaskFromRows(rows);
    ClearBlockCorners(mask);
    EXPECT_EQ(RowsOf(mask), expected);
  }
  // Min Shape Area counts four-connected pieces: here three one-pixel pieces in a diagonal run, and a pair.
  const std::vector<std::string> rows = {"#.......", "..###...", ".....#..", "......#.", "##......"};
  for (auto [area, expected] : {std::pair{0, rows}, {1, rows},
                                {3, {"........", "..###...", "........", "........", "........"}},
                                {5, std::vector<std::string>(5, "........")}}) {
    ByteMask mask = MaskFromRows(rows);
    RemoveSmallShapes(mask, area);
    EXPECT_EQ(RowsOf(mask), expected) << area;
  }
}

// A field of the mask's size holding one value.
DistanceField UniformField(const ByteMask& mask, float value) {
  return DistanceField{std::vector<float>(mask.cells.size(), value), mask.width, mask.height};
}

constexpr int32_t kSpurX = 70;

// A horizontal line of 136 px, longer than any cap, ten pixels above the
// bottom, and a vertical spur of `spurPixels` above x = kSpurX. The pixel
// right above the line is the junction the walk meets; the spur starts above it.
ByteMask LineWithSpur(int32_t spurPixels) {
  ByteMask mask = EmptyMask(140, spurPixels + 20);
  const int32_t lineY = mask.height - 10;
  for (int32_t x = 2; x <= 137; ++x) MaskSet(mask, x, lineY, 1);
  for (int32_t i = 0; i <= spurPixels; ++i) MaskSet(mask, kSpurX, lineY - 1 - i, 1);
  return mask;
}

TEST(SkeletonSpurRemoval, LengthLimitFromFieldSpurPruneAndCap) {
  constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
  // Spur length is pixels - 1; the limit is max(1.2 x field, Spur Prune), the walk at most max(40, Spur Prune).
  for (auto [spur, prune, field, removed] :
       {std::tuple{4, 0, 3.0f, true}, {5, 0, 3.0f, false}, {5, 3, 3.0f, false}, {5, 4, 3.0f, true},
        {1, 0, 3.0f, true}, {40, 0, 100.0f, true}, {41, 0, 100.0f, false}, {45, 50, 100.0f, true},
        {51, 50, 100.0f, false}, {60, kHuge, 1.0f, true}, {1, 0, -1.0f, true}, {3, 0, -1.0f, false}}) {
    ByteMask mask = LineWithSpur(spur);
    // A negative value stands for no field: only Spur Prune counts.
    RemoveSpurs(mask, field < 0 ? DistanceField{} : UniformField(mask, field), prune);
    int32_t left = 0;
    for (int32_t y = 0; y <= mask.height - 12; ++y) left += MaskGet(mask, kSpurX, y);
    EXPECT_EQ(left, removed ? 0 : spur) << spur << " px, prune " << prune << ", field " << field;
    EXPECT_TRUE(prune == kHuge || (MaskGet(mask, 2, mask.height - 10) && MaskGet(mask, 137, mask.height - 10)));
  }
  // Both ends of an isolated segment are ends: never a spur.
  const std::vector<std::string> rows = {".......", ".##....", "...#...", "....##.", "......."};
  ByteMask segment = MaskFromRows(rows);
  RemoveSpurs(segment, UniformField(segment, 100.0f), 50);
  EXPECT_EQ(RowsOf(segment), rows);
}

// Generated masks plus the cases the generator does not make: thin and very
// wide frames, and ink touching every border.
std::vector<ByteMask> MaskCases(uint32_t seed) {
  std::vector<ByteMask> masks = test_masks::ManyMasks(12, seed);
  std::mt19937 rng(seed);
  for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {1, 1}, {1, 9}, {9, 1}, {2, 7}, {7, 2}, {3, 3}, {3, 40},
                      {40, 3}, {4, 4}, {5, 5}, {6, 5}, {4100, 6}, {4103, 37}}) {
    ByteMask full = EmptyMask(w, h);
    std::fill(full.cells.begin(), full.cells.end(), uint8_t{1});
    masks.push_back(full);
    ByteMask noise = EmptyMask(w, h);
    for (uint8_t& cell : noise.cells) cell = rng() % 3 != 0;
    masks.push_back(noise);
  }
  // Cells above 1 count with their value in neighbour sums; the stages must agree on those too.
  for (ByteMask mask : test_masks::ManyMasks(3, seed + 3, 80)) {
    for (uint8_t& cell : mask.cells) cell = cell != 0 ? static_cast<uint8_t>(1 + rng() % 3 / 2) : 0;
    masks.push_back(mask);
  }
  ByteMask text = synthetic_text::MakeTextMask(4200, 48, seed, 30);
  masks.push_back(text);
  // Ink on every border: a frame whose edge rows and columns are set.
  for (ByteMask mask : test_masks::ManyMasks(2, seed + 7, 60)) {
    for (int32_t x = 0; x < mask.width; ++x) MaskSet(mask, x, 0, 1), MaskSet(mask, x, mask.height - 1, 1);
    for (int32_t y = 0; y < mask.height; ++y) MaskSet(mask, 0, y, 1), MaskSet(mask, mask.width - 1, y, 1);
    masks.push_back(mask);
  }
  return masks;
}

TEST(MaskStagesPlain, ClosingCornersSmallShapesAndSpursMatch) {
  for (const ByteMask& original : MaskCases(300)) {
    const std::string size = std::to_string(original.width) + "x" + std::to_string(original.height);
    ByteMask closed = original, closedPlain = original;
    CloseMask3x3(closed);
    plain::CloseMask3x3(closedPlain);
    ASSERT_EQ(closed.cells, closedPlain.cells) << size;

    // The later stages see thinned masks in the render, and raw ones here too.
    ByteMask thinned = closed;
    ThinZhangSuen(thinned);
    for (const ByteMask& input : {original, thinned}) {
      ByteMask corners = input, cornersPlain = input;
      ClearBlockCorners(corners);
      plain::ClearBlockCorners(cornersPlain);
      ASSERT_EQ(corners.cells, cornersPlain.cells) << size;

      for (int32_t area : {0, 1, 2, 3, 7, 40, 5000}) {
        ByteMask shapes = corners, shapesPlain = corners;
        RemoveSmallShapes(shapes, area);
        plain::RemoveSmallShapes(shapesPlain, area);
        ASSERT_EQ(shapes.cells, shapesPlain.cells) << size << " area " << area;
      }

      DistanceField field;
      DistanceTransform(closed, field);
      for (const DistanceField& f : {field, DistanceField{}}) {
        for (int32_t prune : {0, 3, 12, 50, std::numeric_limits<int32_t>::max()}) {
          ByteMask spurs = corners, spursPlain = corners;
          RemoveSpurs(spurs, f, prune);
          plain::RemoveSpurs(spursPlain, f, prune);
          ASSERT_EQ(spurs.cells, spursPlain.cells) << size << " prune " << prune << " field " << f.values.size();
        }
      }
    }
  }
}

}  // namespace
