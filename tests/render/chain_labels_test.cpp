#include "render/chain_labels.h"

#include <gtest/gtest.h>

#include <string>

#include "render/pixel_access.h"
#include "tests/render/test_frame.h"

namespace {

// The font as pictures, top row first: the reference the bit patterns are
// checked and the drawing is compared against.
const char* const kGlyphRows[10][5] = {
    {"111", "101", "101", "101", "111"}, {"010", "010", "010", "010", "010"},
    {"111", "001", "111", "100", "111"}, {"111", "001", "111", "001", "111"},
    {"101", "101", "111", "001", "001"}, {"111", "100", "111", "001", "111"},
    {"111", "100", "111", "101", "111"}, {"111", "001", "001", "001", "001"},
    {"111", "101", "111", "101", "111"}, {"111", "101", "111", "001", "111"},
};

// Whether the number drawn at (x, y) inks pixel (px, py), found by mapping the
// pixel back to its character and cell.
bool ReferenceInked(int32_t x, int32_t y, int32_t value, int32_t scale, int32_t px, int32_t py) {
  if (scale <= 0 || px < x || py < y) return false;
  const std::string text = std::to_string(value);
  const int32_t character = (px - x) / (4 * scale);
  const int32_t column = (px - x) % (4 * scale) / scale;
  const int32_t row = (py - y) / scale;
  if (character >= static_cast<int32_t>(text.size()) || column > 2 || row > 4) return false;
  const char c = text[character];
  const int digit = (c >= '0' && c <= '9') ? c - '0' : 0;
  return kGlyphRows[digit][row][column] == '1';
}

bool ReferenceOutline(int32_t x, int32_t y, int32_t value, int32_t scale, int32_t px, int32_t py) {
  for (int32_t dx = -1; dx <= 1; ++dx) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
      if ((dx != 0 || dy != 0) && ReferenceInked(x + dx, y + dy, value, scale, px, py)) return true;
    }
  }
  return false;
}

constexpr RgbaFloat kBackground{0.25f, 0.5f, 0.75f, 0.5f};

bool SamePixel(RgbaFloat a, RgbaFloat b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

TEST(DigitGlyphs, PatternsMatchTheFontPictures) {
  for (int digit = 0; digit < 10; ++digit) {
    EXPECT_EQ(DigitGlyphs[digit] & 0x8000u, 0u);
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) {
        const bool bit = (DigitGlyphs[digit] >> (14 - (3 * row + column))) & 1u;
        EXPECT_EQ(bit, kGlyphRows[digit][row][column] == '1') << digit << " row " << row << " col " << column;
      }
    }
  }
}

TEST(DrawNumber, PlacesEveryGlyphCellAsAScaledBlockAndClipsAtTheEdges) {
  struct Case {
    int32_t x, y, value, scale;
  };
  const Case cases[] = {{3, 4, 0, 1},   {10, 6, 10, 2},    {2, 2, 123456789, 1}, {-5, -3, 47, 3},
                        {30, 20, 98, 4}, {0, 0, -2147483647 - 1, 1}, {5, 5, -5, 2}};
  for (const Case& c : cases) {
    TestFrame f = MakeTestFrame(48, 30, PixelDepth::k8Bit);
    FillFrame(f.frame, kBackground);
    const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
    DrawNumber(f.frame, c.x, c.y, c.value, c.scale, PackColor(255, 0, 0));
    for (int32_t py = 0; py < 30; ++py) {
      for (int32_t px = 0; px < 48; ++px) {
        const RgbaFloat p = GetPixelFloat(f.frame, px, py);
        if (ReferenceInked(c.x, c.y, c.value, c.scale, px, py)) {
          ASSERT_TRUE(SamePixel(p, {1.0f, 0.0f, 0.0f, 1.0f})) << c.value << " at " << px << "," << py;
        } else {
          ASSERT_TRUE(SamePixel(p, background)) << c.value << " at " << px << "," << py;
        }
      }
    }
  }
}

TEST(DrawNumber, MinusSignIsTheGlyphOfZeroAndNonPositiveScaleDrawsNothing) {
  TestFrame negative = MakeTestFrame(30, 20, PixelDepth::k8Bit);
  TestFrame digits = MakeTestFrame(30, 20, PixelDepth::k8Bit);
  DrawNumber(negative.frame, 2, 3, -5, 2, PackColor(255, 255, 255));
  DrawNumber(digits.frame, 2, 3, 0, 2, PackColor(255, 255, 255));
  DrawNumber(digits.frame, 2 + 8, 3, 5, 2, PackColor(255, 255, 255));
  EXPECT_EQ(negative.storage, digits.storage);

  TestFrame untouched = MakeTestFrame(30, 20, PixelDepth::k8Bit);
  const auto before = untouched.storage;
  DrawNumber(untouched.frame, 2, 3, 88, 0, PackColor(255, 255, 255));
  DrawNumber(untouched.frame, 2, 3, 88, -1, PackColor(255, 255, 255));
  EXPECT_EQ(untouched.storage, before);

  HostFrame empty{};  // no pixels, width 0
  DrawNumber(empty, 0, 0, 7, 1, PackColor(255, 255, 255));
}

TEST(DrawChainLabel, WhiteNumberInsideABlackOutlineAtEveryDepth) {
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(40, 24, depth);
    FillFrame(f.frame, kBackground);
    const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
    const int32_t x = 4, y = 3, value = 208, scale = 2;
    DrawChainLabel(f.frame, x, y, value, scale);
    for (int32_t py = 0; py < 24; ++py) {
      for (int32_t px = 0; px < 40; ++px) {
        const RgbaFloat p = GetPixelFloat(f.frame, px, py);
        RgbaFloat expected = background;
        // White is drawn last, so it wins wherever an outline copy overlaps it.
        if (ReferenceInked(x, y, value, scale, px, py)) {
          expected = {1.0f, 1.0f, 1.0f, 1.0f};
        } else if (ReferenceOutline(x, y, value, scale, px, py)) {
          expected = {0.0f, 0.0f, 0.0f, 1.0f};
        }
        ASSERT_TRUE(SamePixel(p, expected)) << static_cast<int>(depth) << " at " << px << "," << py;
      }
    }
  }
}

}  // namespace
