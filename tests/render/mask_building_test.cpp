#include "render/mask_building.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "render/pixel_access.h"
#include "tests/render/host_test_frame.h"
#include "tests/skeleton/test_masks.h"

namespace {

using pipeline_test::kDepths;
using pipeline_test::NewFrame;
using pipeline_test::TestFrame;

using test_masks::MaskFromRows;

std::vector<std::string> Rows(const ByteMask& mask) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < mask.height; ++y) {
    std::string row;
    for (int32_t x = 0; x < mask.width; ++x) row += MaskGet(mask, x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

int32_t SetCount(const ByteMask& mask) {
  int32_t n = 0;
  for (uint8_t c : mask.cells) n += c;
  return n;
}

TEST(MaskSampling, ChannelsInversionAndAlphaAtEveryDepth) {
  // Pixels: opaque white, opaque black, transparent white, opaque pure red.
  const RgbaFloat pixels[] = {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 0}, {1, 0, 0, 1}};
  struct Case {
    int32_t channel;
    bool invert;
    int32_t threshold;
    std::string expected;
  };
  const Case cases[] = {
      {1, false, 128, "#..."},  // red alone is 0.2989 luminance
      {1, false, 76, "#..#"},
      {1, true, 128, ".#.#"},   // a transparent pixel stays background when inverted
      {2, false, 128, "#..#"},
      {3, false, 128, "#..."},
      {5, false, 128, "##.#"},
      {5, true, 128, "..#."},   // inverted alpha: the transparent pixel is ink
      {1, false, 0, "####"},    // every non-negative value
      {2, false, 255, "#..#"},  // needs a value of exactly 1.0
  };
  for (int32_t depth : kDepths) {
    TestFrame f = NewFrame(4, 1, depth);
    for (int32_t x = 0; x < 4; ++x) {
      SetPixelFloat(f.frame, x, 0, pixels[x].red, pixels[x].green, pixels[x].blue, pixels[x].alpha);
    }
    for (const Case& c : cases) {
      const ByteMask mask = SampleLayerMask(f.frame, c.channel, c.invert, c.threshold);
      ASSERT_EQ(mask.width, 4);
      ASSERT_EQ(mask.height, 1);
      EXPECT_EQ(Rows(mask)[0], c.expected)
          << "channel " << c.channel << " invert " << c.invert << " threshold " << c.threshold
          << " depth " << depth;
    }
  }
}

TEST(MaskSampling, EmptyOrPixellessLayerGivesAnEmptyMask) {
  HostFrame none{};
  none.width = 5;
  none.height = 3;
  const ByteMask mask = SampleLayerMask(none, 1, true, 0);
  EXPECT_EQ(mask.width, 5);
  EXPECT_EQ(mask.height, 3);
  EXPECT_EQ(SetCount(mask), 0);

  TestFrame zero = NewFrame(0, 4, 8);
  EXPECT_TRUE(SampleLayerMask(zero.frame, 1, false, 0).cells.empty());
}

TEST(MaskClosing, FullFrameLosesATwoPixelBorder) {
  ByteMask mask = test_masks::EmptyMask(8, 7);
  std::fill(mask.cells.begin(), mask.cells.end(), 1);
  CloseMask3x3(mask);
  EXPECT_EQ(Rows(mask), (std::vector<std::string>{
                            "........",
                            "........",
                            "..####..",
                            "..####..",
                            "..####..",
                            "........",
                            "........",
                        }));
}

TEST(MaskClosing, FillsOnePixelHolesAndBridgesOnePixelGaps) {
  ByteMask mask = MaskFromRows({
      "..............",
      "..............",
      "..#####.###...",
      "..#.###.###...",
      "..#####.###...",
      "..............",
      "..............",
  });
  CloseMask3x3(mask);
  EXPECT_EQ(Rows(mask), (std::vector<std::string>{
                            "..............",
                            "..............",
                            "..#########...",
                            "..#########...",
                            "..#########...",
                            "..............",
                            "..............",
                        }));
}

TEST(MaskClosing, MasksWithoutInteriorBecomeEmpty) {
  for (auto [w, h] : {std::pair{2, 9}, {9, 2}, {1, 1}, {0, 5}, {3, 3}}) {
    ByteMask mask = test_masks::EmptyMask(w, h);
    std::fill(mask.cells.begin(), mask.cells.end(), 1);
    CloseMask3x3(mask);
    EXPECT_EQ(mask.width, w);
    EXPECT_EQ(SetCount(mask), 0) << w << "x" << h;
  }
}

TEST(SkeletonCornerPass, ClearsOnlyCornersWithOneTransition) {
  // An isolated block loses its lower-right pixel.
  ByteMask block = MaskFromRows({
      "......",
      "......",
      "..##..",
      "..##..",
      "......",
  });
  ClearBlockCorners(block);
  EXPECT_EQ(Rows(block), (std::vector<std::string>{"......", "......", "..##..", "..#...", "......"}));

  // A block with diagonal arms at both corners: two transitions, nothing cleared.
  const std::vector<std::string> crossing = {
      ".......",
      ".#.....",
      "..##...",
      "..##...",
      "....#..",
      ".......",
  };
  ByteMask arms = MaskFromRows(crossing);
  ClearBlockCorners(arms);
  EXPECT_EQ(Rows(arms), crossing);

  // In a solid 3x3 block the centre's ring is all set (no transition) and
  // stays; its right neighbour has one transition and goes, which gives the
  // pixel below the centre a second transition, so it stays. Later pixels see
  // earlier clears.
  ByteMask full = MaskFromRows({".....", ".###.", ".###.", ".###.", "....."});
  ClearBlockCorners(full);
  EXPECT_EQ(Rows(full), (std::vector<std::string>{".....", ".###.", ".##..", ".###.", "....."}));
}

TEST(SkeletonMinShapeArea, RemovesSmallFourConnectedPieces) {
  const std::vector<std::string> rows = {
      "#.........",
      "..........",
      "..###.....",
      "......#...",
      ".......#..",
      "........#.",
      "##........",
  };
  ByteMask one = MaskFromRows(rows);
  RemoveSmallShapes(one, 1);
  EXPECT_EQ(Rows(one), rows);
  ByteMask off = MaskFromRows(rows);
  RemoveSmallShapes(off, 0);
  EXPECT_EQ(Rows(off), rows);

  // A diagonal run is three one-pixel pieces; the pair at the bottom is one piece of two.
  ByteMask three = MaskFromRows(rows);
  RemoveSmallShapes(three, 3);
  EXPECT_EQ(Rows(three), (std::vector<std::string>{
                             "..........",
                             "..........",
                             "..###.....",
                             "..........",
                             "..........",
                             "..........",
                             "..........",
                         }));
  ByteMask four = MaskFromRows(rows);
  RemoveSmallShapes(four, 4);
  EXPECT_EQ(SetCount(four), 0);
}

constexpr int32_t kSpurX = 70;
constexpr int32_t kLineLeft = 2;
constexpr int32_t kLineRight = 137;

// A horizontal line ten pixels above the bottom, with arms longer than any
// cap, and a vertical spur of `spurPixels` pixels above x = kSpurX.
ByteMask LineWithSpur(int32_t spurPixels) {
  ByteMask mask = test_masks::EmptyMask(kLineRight + 3, spurPixels + 20);
  const int32_t lineY = mask.height - 10;
  for (int32_t x = kLineLeft; x <= kLineRight; ++x) MaskSet(mask, x, lineY, 1);
  // The pixel right above the line touches three line pixels, so the walk
  // meets its junction there; the spur proper starts one pixel higher.
  MaskSet(mask, kSpurX, lineY - 1, 1);
  for (int32_t i = 0; i < spurPixels; ++i) MaskSet(mask, kSpurX, lineY - 2 - i, 1);
  return mask;
}

int32_t SpurPixelsLeft(const ByteMask& mask) {
  int32_t n = 0;
  for (int32_t y = 0; y <= mask.height - 12; ++y) n += MaskGet(mask, kSpurX, y);
  return n;
}

TEST(SkeletonSpurRemoval, LengthLimitFollowsFieldAndSpurPrune) {
  for (auto [spur, prune, removed] : {std::tuple{4, 0, true},   // length 3.0 <= 1.2 x 3.0
                                      {5, 0, false},            // length 4.0 > 3.6
                                      {5, 3, false},
                                      {5, 4, true},
                                      {1, 0, true}}) {          // length 0: always removed
    ByteMask mask = LineWithSpur(spur);
    const DistanceField field(mask.cells.size(), 3.0f);
    RemoveSpurs(mask, field, prune);
    EXPECT_EQ(SpurPixelsLeft(mask), removed ? 0 : spur) << spur << " px, prune " << prune;
    // The line itself is never a spur: both its ends are far from the junction.
    EXPECT_EQ(MaskGet(mask, kLineLeft, mask.height - 10), 1);
    EXPECT_EQ(MaskGet(mask, kLineRight, mask.height - 10), 1);
  }
}

TEST(SkeletonSpurRemoval, WalksStopAtTheLengthCap) {
  for (auto [spur, prune, removed] : {std::tuple{40, 0, true},
                                      {41, 0, false},  // longer than the cap of 40
                                      {45, 50, true},  // Spur Prune raises the cap
                                      {51, 50, false}}) {
    ByteMask mask = LineWithSpur(spur);
    const DistanceField field(mask.cells.size(), 100.0f);
    RemoveSpurs(mask, field, prune);
    EXPECT_EQ(SpurPixelsLeft(mask), removed ? 0 : spur) << spur << " px, prune " << prune;
    EXPECT_EQ(MaskGet(mask, kLineLeft, mask.height - 10), 1);
  }
}

TEST(SkeletonSpurRemoval, SpurPruneFarBeyondItsRangeStillWorks) {
  // A damaged project's value: the walk is bounded by the skeleton, not by
  // memory set aside for the value.
  ByteMask mask = LineWithSpur(60);
  RemoveSpurs(mask, DistanceField(mask.cells.size(), 1.0f), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(SpurPixelsLeft(mask), 0);
}

TEST(SkeletonSpurRemoval, IsolatedSegmentsAndEmptyFieldsAreSafe) {
  const std::vector<std::string> rows = {".......", ".##....", "...#...", "....##.", "......."};
  ByteMask segment = MaskFromRows(rows);
  RemoveSpurs(segment, DistanceField(segment.cells.size(), 100.0f), 50);
  EXPECT_EQ(Rows(segment), rows);

  // Without a field only Spur Prune counts: a one-pixel spur still goes.
  ByteMask mask = LineWithSpur(1);
  RemoveSpurs(mask, DistanceField{}, 0);
  EXPECT_EQ(SpurPixelsLeft(mask), 0);
  ByteMask longer = LineWithSpur(3);
  RemoveSpurs(longer, DistanceField{}, 0);
  EXPECT_EQ(SpurPixelsLeft(longer), 3);
}

TEST(SkeletonCleanUp, SmoothIterationsZeroKeepsEnds) {
  const std::vector<std::string> rows = {"..........", ".########.", ".........."};
  RenderSettings settings;
  settings.smoothIterations = 0;
  ByteMask kept = MaskFromRows(rows);
  CleanSkeleton(kept, DistanceField(kept.cells.size(), 1.0f), settings);
  EXPECT_EQ(Rows(kept), rows);

  settings.smoothIterations = 2;
  ByteMask trimmed = MaskFromRows(rows);
  CleanSkeleton(trimmed, DistanceField(trimmed.cells.size(), 1.0f), settings);
  EXPECT_EQ(Rows(trimmed)[1], "...####...");
}

}  // namespace
