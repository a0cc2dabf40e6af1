#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/raster/window_raster.h"

namespace {

RgbaImage Filled(int32_t width, int32_t height, std::vector<uint8_t> pixel) {
  RgbaImage image{width, height, {}};
  for (int32_t i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), pixel.begin(), pixel.end());
  return image;
}

const uint8_t* At(const RgbaImage& image, int32_t x, int32_t y) {
  return image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
}

DrawStroke Stroke(HostColorRGBA color, float size, std::vector<std::vector<DrawPoint>> pieces) {
  return DrawStroke{color, size, std::move(pieces)};
}

constexpr HostColorRGBA kRed{1.0f, 0.0f, 0.0f, 1.0f};
constexpr HostColorRGBA kOrange{1.0f, 0.5f, 0.0f, 0.9f};

}  // namespace

// A 3 px pen centred on pixel centres: full rows either side of the line,
// nothing beyond, round caps and joins that only partly cover their corners.
TEST(WindowRaster, StrokesAreRoundJoinedRoundCappedAndAntiAliased) {
  RgbaImage line = Filled(16, 11, {0, 0, 0, 0});
  StrokeDisplayList(line, {Stroke(kRed, 3.0f, {{{2, 5}, {12, 5}}})});
  for (int32_t y : {4, 5, 6}) {
    EXPECT_EQ(At(line, 7, y)[3], 255) << y;
    EXPECT_EQ(At(line, 7, y)[0], 255) << y;
  }
  EXPECT_EQ(At(line, 7, 3)[3], 0);
  EXPECT_EQ(At(line, 7, 7)[3], 0);
  // The cap reaches 1.5 px past the end, rounded: partly over pixel 1, not 0.
  EXPECT_GT(At(line, 1, 5)[3], 0);
  EXPECT_LT(At(line, 1, 5)[3], 255);
  EXPECT_EQ(At(line, 0, 5)[3], 0);

  // The outer corner of a right-angle turn: a miter would fill pixel (13, 2),
  // a bevel would cut it to an eighth; the round join covers about half.
  RgbaImage corner = Filled(16, 16, {0, 0, 0, 0});
  StrokeDisplayList(corner, {Stroke(kRed, 3.0f, {{{3, 3}, {12, 3}, {12, 12}}})});
  EXPECT_GT(At(corner, 13, 2)[3], 90);
  EXPECT_LT(At(corner, 13, 2)[3], 170);
  EXPECT_EQ(At(corner, 12, 3)[3], 255);

  // A slanted line has edge pixels between empty and full.
  RgbaImage slant = Filled(20, 20, {0, 0, 0, 0});
  StrokeDisplayList(slant, {Stroke(kRed, 2.0f, {{{2, 3}, {17, 11}}})});
  int partial = 0;
  for (size_t i = 3; i < slant.pixels.size(); i += 4) partial += slant.pixels[i] > 0 && slant.pixels[i] < 255;
  EXPECT_GT(partial, 15);
}

TEST(WindowRaster, ThePensColourAndAlphaCompositeOverTheImageAndLeaveOtherPixelsExact) {
  RgbaImage image = Filled(12, 12, {255, 255, 255, 255});
  // Transparent right half, and one odd semi-transparent pixel far from the strokes.
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 6; x < 12; ++x) std::fill_n(image.pixels.data() + (y * 12 + x) * 4, 4, uint8_t{0});
  }
  const std::vector<uint8_t> odd = {13, 200, 77, 91};
  std::copy(odd.begin(), odd.end(), image.pixels.data() + (11 * 12 + 11) * 4);
  StrokeDisplayList(image, {Stroke(kOrange, 5.0f, {{{1, 3}, {10, 3}}}),
                            // skipped: a non-finite point, a zero size
                            Stroke(kRed, 3.0f, {{{1, 9}, {NAN, 9}}, {{1, 7}, {4, 7}}}),
                            Stroke(kRed, 0.0f, {{{1, 10}, {10, 10}}}),
                            Stroke(kRed, 3.0f, {{{-3e30f, 1}, {3e30f, 1e30f}}})});
  const uint8_t* overWhite = At(image, 3, 3);
  EXPECT_NEAR(overWhite[0], 255, 1);
  EXPECT_NEAR(overWhite[1], 140, 1);  // 0.5 x 0.9 + 0.1
  EXPECT_NEAR(overWhite[2], 26, 1);
  EXPECT_EQ(overWhite[3], 255);
  const uint8_t* overNothing = At(image, 8, 3);
  EXPECT_NEAR(overNothing[0], 255, 1);
  EXPECT_NEAR(overNothing[1], 128, 1);
  EXPECT_NEAR(overNothing[2], 0, 1);
  EXPECT_NEAR(overNothing[3], 230, 1);
  EXPECT_EQ(At(image, 2, 7)[1], 0);       // the finite piece of the second stroke is drawn
  EXPECT_EQ(At(image, 2, 9)[1], 255);     // its other piece is not
  EXPECT_EQ(At(image, 3, 10)[1], 255);    // nor the zero-size stroke
  EXPECT_EQ(std::vector<uint8_t>(At(image, 11, 11), At(image, 11, 11) + 4), odd);
}
