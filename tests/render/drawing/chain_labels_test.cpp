#include "render/drawing/chain_labels.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/render/render_test_helpers.h"

namespace {

// The font as pictures, top row first.
const char* const kGlyphRows[10][5] = {
    {"111", "101", "101", "101", "111"}, {"010", "010", "010", "010", "010"},
    {"111", "001", "111", "100", "111"}, {"111", "001", "111", "001", "111"},
    {"101", "101", "111", "001", "001"}, {"111", "100", "111", "001", "111"},
    {"111", "100", "111", "101", "111"}, {"111", "001", "001", "001", "001"},
    {"111", "101", "111", "101", "111"}, {"111", "101", "111", "001", "111"},
};

// Whether the number drawn at (x, y) inks pixel (px, py); a minus sign is the glyph of 0.
bool ReferenceInked(int32_t x, int32_t y, int32_t value, int32_t scale, int32_t px, int32_t py) {
  if (scale <= 0 || px < x || py < y) return false;
  const std::string text = std::to_string(value);
  const size_t character = (px - x) / (4 * scale);
  const int32_t column = (px - x) % (4 * scale) / scale;
  const int32_t row = (py - y) / scale;
  if (character >= text.size() || column > 2 || row > 4) return false;
  return kGlyphRows[text[character] == '-' ? 0 : text[character] - '0'][row][column] == '1';
}

constexpr RgbaFloat kBackground{0.25f, 0.5f, 0.75f, 0.5f};

TEST(DrawNumber, InksEveryGlyphCellAsAScaledBlockClippedToTheFrame) {
  struct Case {
    int32_t x, y, value, scale;
  };
  for (const Case& c : {Case{3, 4, 0, 1}, {10, 6, 10, 2}, {2, 2, 123456789, 1}, {-5, -3, 47, 3}, {30, 20, 98, 4},
                        {0, 0, -2147483647 - 1, 1}, {5, 5, -5, 2}, {2, 3, 88, 0}, {2, 3, 88, -1}}) {
    TestFrame f = MakeTestFrame(48, 30);
    FillFrame(f.frame, kBackground);
    const RgbaFloat background = GetPixelFloat(f.frame, 0, 0);
    DrawNumber(f.frame, c.x, c.y, c.value, c.scale, PackColor(255, 0, 0));
    for (int32_t i = 0; i < 48 * 30; ++i) {
      const bool inked = ReferenceInked(c.x, c.y, c.value, c.scale, i % 48, i / 48);
      ASSERT_TRUE(SamePixel(GetPixelFloat(f.frame, i % 48, i / 48), inked ? RgbaFloat{1, 0, 0, 1} : background))
          << c.value << " scale " << c.scale << " at " << i % 48 << "," << i / 48;
    }
  }
  DrawNumber(HostFrame{}, 0, 0, 7, 1, PackColor(255, 255, 255));  // no pixels: nothing to do
}

}  // namespace
