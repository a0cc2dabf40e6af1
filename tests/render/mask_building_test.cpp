#include "render/mask_building.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::MaskFromRows;

std::vector<std::string> Rows(const ByteMask& mask) {
  std::vector<std::string> rows(mask.height);
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) rows[y] += MaskGet(mask, x, y) ? '#' : '.';
  }
  return rows;
}

TEST(MaskSampling, ChannelsInversionAndAlphaAtEveryDepth) {
  // Opaque white, opaque black, transparent white, opaque pure red.
  const RgbaFloat pixels[] = {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 0}, {1, 0, 0, 1}};
  const std::tuple<int32_t, bool, int32_t, std::string> cases[] = {
      {1, false, 128, "#..."},  // red alone is 0.2989 luminance
      {1, false, 76, "#..#"},   {1, true, 128, ".#.#"},  // transparent stays background when inverted
      {2, false, 128, "#..#"},  {3, false, 128, "#..."}, {5, false, 128, "##.#"},
      {5, true, 128, "..#."},   // inverted alpha: the transparent pixel is ink
      {1, false, 0, "####"},    {2, false, 255, "#..#"},  // 255 needs exactly 1.0
  };
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(4, 1, depth);
    for (int32_t x = 0; x < 4; ++x) FillRect(f.frame, x, 0, x + 1, 1, pixels[x]);
    for (const auto& [channel, invert, threshold, expected] : cases) {
      EXPECT_EQ(Rows(SampleLayerMask(f.frame, channel, invert, threshold)), std::vector<std::string>{expected})
          << "channel " << channel << " invert " << invert << " threshold " << threshold;
    }
  }
  const HostFrame none{nullptr, 20, 5, 3};  // a layer without pixels samples as empty
  EXPECT_EQ(Rows(SampleLayerMask(none, 1, true, 0)), std::vector<std::string>(3, "....."));
}

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
  EXPECT_EQ(Rows(mask), expected);
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
    EXPECT_EQ(Rows(mask), expected);
  }
  // Min Shape Area counts four-connected pieces: here three one-pixel pieces in a diagonal run, and a pair.
  const std::vector<std::string> rows = {"#.......", "..###...", ".....#..", "......#.", "##......"};
  for (auto [area, expected] : {std::pair{0, rows}, {1, rows},
                                {3, {"........", "..###...", "........", "........", "........"}},
                                {5, std::vector<std::string>(5, "........")}}) {
    ByteMask mask = MaskFromRows(rows);
    RemoveSmallShapes(mask, area);
    EXPECT_EQ(Rows(mask), expected) << area;
  }
}

constexpr int32_t kSpurX = 70;

// A horizontal line of 136 px, longer than any cap, ten pixels above the
// bottom, and a vertical spur of `spurPixels` above x = kSpurX. The pixel
// right above the line is the junction the walk meets; the spur starts above it.
ByteMask LineWithSpur(int32_t spurPixels) {
  ByteMask mask = test_masks::EmptyMask(140, spurPixels + 20);
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
    RemoveSpurs(mask, field < 0 ? DistanceField{} : DistanceField(mask.cells.size(), field), prune);
    int32_t left = 0;
    for (int32_t y = 0; y <= mask.height - 12; ++y) left += MaskGet(mask, kSpurX, y);
    EXPECT_EQ(left, removed ? 0 : spur) << spur << " px, prune " << prune << ", field " << field;
    EXPECT_TRUE(prune == kHuge || (MaskGet(mask, 2, mask.height - 10) && MaskGet(mask, 137, mask.height - 10)));
  }
  // Both ends of an isolated segment are ends: never a spur.
  const std::vector<std::string> rows = {".......", ".##....", "...#...", "....##.", "......."};
  ByteMask segment = MaskFromRows(rows);
  RemoveSpurs(segment, DistanceField(segment.cells.size(), 100.0f), 50);
  EXPECT_EQ(Rows(segment), rows);
}

}  // namespace
