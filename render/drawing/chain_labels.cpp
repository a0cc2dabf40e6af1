#include "render/drawing/chain_labels.h"

#include <algorithm>
#include <cstdio>

#include "render/drawing/draw_primitives.h"
#include "render/drawing/pixel_access.h"

namespace {

constexpr int64_t kGlyphAdvanceCells = 4;  // three inked columns and one blank

// Overwrites the block [left, left + size) x [top, top + size), clipped to the
// frame first so that a huge scale never walks pixels outside it.
void FillBlock(const HostFrame& frame, int64_t left, int64_t top, int64_t size, const RgbaFloat& c) {
  const int64_t xFirst = std::max<int64_t>(left, 0);
  const int64_t yFirst = std::max<int64_t>(top, 0);
  const int64_t xEnd = std::min<int64_t>(left + size, frame.width);
  const int64_t yEnd = std::min<int64_t>(top + size, frame.height);
  for (int64_t py = yFirst; py < yEnd; ++py) {
    for (int64_t px = xFirst; px < xEnd; ++px) {
      SetPixelFloat(frame, static_cast<int32_t>(px), static_cast<int32_t>(py), c.red, c.green, c.blue,
                    c.alpha);
    }
  }
}

}  // namespace

void DrawNumber(const HostFrame& frame, int32_t x, int32_t y, int32_t value, int32_t scale,
                uint32_t packedColour) {
  if (scale <= 0 || frame.pixels == nullptr) return;
  char text[16] = {};
  const int written = std::snprintf(text, sizeof text, "%d", value);
  if (written <= 0) return;

  const HostPixel8 bytes = UnpackColor(packedColour);
  const RgbaFloat colour{bytes.red / 255.0f, bytes.green / 255.0f, bytes.blue / 255.0f,
                         bytes.alpha / 255.0f};
  const int64_t cell = scale;
  for (int64_t n = 0; text[n] != '\0'; ++n) {
    const char ch = text[n];
    const uint16_t glyph = DigitGlyphs[(ch >= '0' && ch <= '9') ? ch - '0' : 0];
    const int64_t left = x + n * kGlyphAdvanceCells * cell;
    for (int64_t row = 0; row < 5; ++row) {
      for (int64_t column = 0; column < 3; ++column) {
        if ((glyph >> (14 - (3 * row + column))) & 1u) {
          FillBlock(frame, left + column * cell, y + row * cell, cell, colour);
        }
      }
    }
  }
}

void DrawChainLabel(const HostFrame& frame, int32_t x, int32_t y, int32_t value, int32_t scale) {
  for (int32_t dx = -1; dx <= 1; ++dx) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      DrawNumber(frame, x + dx, y + dy, value, scale, kLabelOutlineColor);
    }
  }
  DrawNumber(frame, x, y, value, scale, kLabelFillColor);
}
