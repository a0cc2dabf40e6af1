// Chain numbers drawn into a frame with a built-in 3 x 5 digit font, for the
// numbered chain preview.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"

// One pattern per digit 0 to 9: bits 14 down to 0 are 5 rows of 3 cells,
// read row by row from the top, each row left to right (bit 14 = top-left).
inline constexpr uint16_t DigitGlyphs[10] = {
    0x7B6F, 0x2492, 0x73E7, 0x73CF, 0x5BC9, 0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF,
};

// Packed colours: from the lowest byte alpha, red, green, blue.
constexpr uint32_t PackColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
  return static_cast<uint32_t>(alpha) | static_cast<uint32_t>(red) << 8 |
         static_cast<uint32_t>(green) << 16 | static_cast<uint32_t>(blue) << 24;
}
inline constexpr uint32_t kLabelOutlineColor = PackColor(0, 0, 0);
inline constexpr uint32_t kLabelFillColor = PackColor(255, 255, 255);

// Writes the decimal digits of `value` with their top-left corner at (x, y),
// every font cell a scale x scale block, glyphs 4 cells apart. A minus sign is
// drawn as the glyph of 0. Pixels are overwritten (no blending) with all four
// channels of the colour at the frame's depth; pixels outside the frame are
// skipped, and a scale of 0 or less draws nothing.
void DrawNumber(const HostFrame& frame, int32_t x, int32_t y, int32_t value, int32_t scale,
                uint32_t packedColour);

// The number in white inside a one-pixel black outline: black at the eight
// neighbouring offsets first, then white at (x, y).
void DrawChainLabel(const HostFrame& frame, int32_t x, int32_t y, int32_t value, int32_t scale);
